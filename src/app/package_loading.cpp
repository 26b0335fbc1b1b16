#include "app/boolean_text.h"
#include "app/command_line.h"
#include "app/package_pictures.h"
#include "app/text_decoding.h"
#include "app/text_file.h"
#include "app/welcome_heading.h"
#include "archive/archive_directory.h"
#include "archive/corrupt_package.h"
#include "archive/environment_fault.h"
#include "archive/extraction.h"
#include "archive/plain_file_name.h"
#include "archive/text_routines.h"
#include "config/descriptor.h"
#include "fonts/font_format.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "ui/frm_main.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

namespace kernova {
namespace {

constexpr const char* kDescriptorName = "kernova.xml";

// Boolean(tag, default): the descriptor's value of `tag` as a Boolean; a text that is not
// one throws std::invalid_argument.
bool TagIsTrue(FileSystem& files, const std::string& tag, const std::string& defaultValue) {
    return TextToBoolean(ReadTag(files, tag, "", defaultValue));
}

// How a run uses the package's optional texts.
enum class Texts {
    Shown,   // read from the private folder
    Present, // only checked to be in the private folder
    Listed,  // only checked to be among the entries: /E keeps them out of the folder
};

// The text box contents for the optional text file `name`: its text when the descriptor
// says the package has one (a missing file then is a corrupt package), else empty. A
// silent run shows no text: it only checks that the file is there.
std::string OptionalText(FileSystem& files, const std::string& tag, const MainForm& form,
                         const std::string& name, Texts texts) {
    if (!TagIsTrue(files, tag, "False")) {
        return {};
    }
    const std::string path = form.ExtractPath + name;
    try {
        if (texts == Texts::Shown) {
            return ReadTextWithCrLf(files, path);
        }
        const std::vector<std::string>& listed = form.lstFiles.items();
        std::error_code ec;
        const auto isName = [&name](const std::string& entry) { return SameFileName(entry, name); };
        if (texts == Texts::Listed ? std::none_of(listed.begin(), listed.end(), isName)
                                   : !files.Open(path, ec)) {
            throw std::system_error(
                ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory), path);
        }
        return {};
    } catch (const std::system_error& e) {
        throw CorruptPackage("the descriptor promises " + path + ": " + e.what());
    }
}

// What a run that shows nothing still reads from the private folder: the descriptor (in
// any letter case, as a file system that ignores case would find it) and the pictures.
bool ReadAtStartUp(const std::string& name) {
    return EqualsIgnoringCase(name, kDescriptorName) || IsPackagePicture(name);
}

// Font entries are the names ending in "TTF" in any letter case, spaces around ignored (what
// stored packages rely on), and those ending in "OTF", "TTC" or "OTC" whose extracted bytes
// are an OpenType font or a collection.
bool IsFontEntry(FileSystem& files, const std::string& extractPath, const std::string& name) {
    const std::string_view trimmed = Trim(name);
    const std::string_view ending =
        trimmed.substr(trimmed.size() - std::min<std::size_t>(3, trimmed.size()));
    if (EqualsIgnoringCase(ending, "TTF")) {
        return true;
    }
    if (!EqualsIgnoringCase(ending, "OTF") && !EqualsIgnoringCase(ending, "TTC") &&
        !EqualsIgnoringCase(ending, "OTC")) {
        return false;
    }
    std::error_code ec;
    std::unique_ptr<InputFile> file = files.Open(extractPath + name, ec);
    return file && IsInstallable(DetectFontFormat(*file));
}

} // namespace

void FrmMain::Start() {
    // A package that cannot be read ends the program: corrupt when its bytes are wrong, the
    // machine's fault (with the cause and the file) when the machine is.
    const CommandLineSwitch run = SwitchOf(startup_.commandLine);
    const bool silent = run != CommandLineSwitch::None;
    // /E writes every entry straight from the package beside the installer: the private
    // folder gets only what the start-up itself reads, so it needs no room for the fonts.
    const bool extractOnly = run == CommandLineSwitch::Extract;
    auto fail = [&](const std::string& text, ExitCode code) {
        frmExtracting.visible = false;
        frmExtracting.loaded = false;
        TellFailure(text, silent);
        EndProgram(code);
    };
    auto corrupt = [&] { fail("This Kernova Installer is corrupt.", ExitCode::CorruptPackage); };
    try {
        // The notice stays up while the package is read and extracted.
        frmExtracting.loaded = true;
        frmExtracting.visible = true;
        runtime_.Refresh();

        FileSystem& files = platform_.files;
        if (startup_.executablePath.empty()) {
            throw EnvironmentFault("cannot find this installer's own file to read the package "
                                   "from; start it by its full path");
        }
        directory_ = ReadArchiveDirectory(files, startup_.executablePath);
        for (const ArchiveEntry& entry : directory_.entries) {
            form.lstFiles.AddItem(entry.name);
        }

        // A private folder of our own, never fixed names in the shared temporary folder
        // (made already where the program needed one before the form loaded).
        if (!extraction_) {
            extraction_ =
                std::make_unique<ExtractionFolder>(files, platform_.process.GetTempFolder());
        }
        form.ExtractPath = extraction_->path();
        try {
            if (!watch_) {
                watch_ = platform_.process.RemoveOnTermination(form.ExtractPath);
            }
        } catch (const std::system_error& e) {
            throw EnvironmentFault(e.what());
        }
        const auto pump = [this] { runtime_.PumpEvents(); };
        const EntryFilter wanted = extractOnly ? EntryFilter(ReadAtStartUp) : EntryFilter();
        ExtractAll(files, startup_.executablePath, directory_, form.ExtractPath, pump, wanted);

        DescriptorPath = form.ExtractPath + kDescriptorName;
        form.URL = DecodeAnsiText(ReadTag(files, "URL", "", ""));
        // Shown and printed as they are: control characters never reach a terminal.
        form.URLTitle = ReplaceControls(DecodeAnsiText(ReadTag(files, "URLName", "", "")));
        form.PackageTitle = ReplaceControls(DecodeAnsiText(ReadTag(files, "Title", "", "")));

        const Texts texts = !silent ? Texts::Shown : extractOnly ? Texts::Listed : Texts::Present;
        form.txtReadme.text = OptionalText(files, "Readme", form, "readme.txt", texts);
        form.txtLicense.text = OptionalText(files, "License", form, "license.txt", texts);

        for (const std::string& name : form.lstFiles.items()) {
            if (IsFontEntry(files, form.ExtractPath, name)) {
                form.lstFonts.AddItem(name);
            }
        }

        form.caption = form.PackageTitle + " - Kernova Installer";
        form.lblWelcome.caption = "Welcome to Setup for " + form.PackageTitle;
        FitWelcomeHeading(form, runtime_);
        form.lblSetup.caption = "This will install " + form.PackageTitle + " on your computer.";
        form.lblFinishText.caption = "Kernova has finished installing " + form.PackageTitle + ".";

        if (!form.URL.empty() && !form.URLTitle.empty()) {
            form.lblLink.caption = form.URLTitle;
            form.lblLink.visible = true;
        }
        if (TagIsTrue(files, "AddFavorites", "False")) {
            form.AddFav = true;
        }

        LoadPackagePictures(form, runtime_);

        // A silent run shows no page: the preview would be drawn for nobody (and /E's fonts
        // are not in the private folder to draw). The tag is still read: a bad one is a
        // corrupt package whatever the switch.
        if (TagIsTrue(files, "ShowFontPreview", "False") && !silent) {
            ShowFontPreview();
        }
    } catch (const EnvironmentFault& fault) {
        fail(fault.what(), ExitCode::EnvironmentFault);
    } catch (const CorruptPackage&) {
        corrupt();
    } catch (const std::invalid_argument&) { // a Boolean tag that is no Boolean
        corrupt();
    } catch (const std::system_error&) { // the folder, a file, a read
        corrupt();
    } catch (const std::bad_alloc&) { // a text too large to hold
        corrupt();
    }
    frmExtracting.visible = false;
    frmExtracting.loaded = false;
    form.visible = true;
}

} // namespace kernova
