#include "app/boolean_text.h"
#include "app/package_pictures.h"
#include "app/text_decoding.h"
#include "app/text_file.h"
#include "app/welcome_heading.h"
#include "archive/archive_directory.h"
#include "archive/corrupt_package.h"
#include "archive/extraction.h"
#include "archive/text_routines.h"
#include "config/descriptor.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "ui/frm_main.h"

#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

namespace kernova {
namespace {

// Boolean(tag, default): the descriptor's value of `tag` as a Boolean; a text that is not
// one throws std::invalid_argument.
bool TagIsTrue(FileSystem& files, const std::string& tag, const std::string& defaultValue) {
    return TextToBoolean(ReadTag(files, tag, "", defaultValue));
}

// The text box contents for an optional text file: its text when the descriptor says the
// package has one (a missing file then is a corrupt package), else empty.
std::string OptionalText(FileSystem& files, const std::string& tag, const std::string& path) {
    if (!TagIsTrue(files, tag, "False")) {
        return {};
    }
    try {
        return ReadTextWithCrLf(files, path);
    } catch (const std::system_error& e) {
        throw CorruptPackage("the descriptor promises " + path + ": " + e.what());
    }
}

// Font entries are the names ending in "TTF" in any letter case, spaces around ignored.
bool IsFontEntry(const std::string& name) {
    const std::string_view trimmed = Trim(name);
    return trimmed.size() >= 3 && EqualsIgnoringCase(trimmed.substr(trimmed.size() - 3), "TTF");
}

} // namespace

void FrmMain::Start() {
    // Every failure on the way is the one corrupt-package ending.
    auto corrupt = [this] {
        frmExtracting.visible = false;
        frmExtracting.loaded = false;
        runtime_.MsgBox("This Kernova Installer is corrupt.", MessageIcon::Error,
                        MessageButtons::Ok, "Kernova Installer Error");
        EndProgram(ExitCode::CorruptPackage);
    };
    try {
        // The notice stays up while the package is read and extracted.
        frmExtracting.loaded = true;
        frmExtracting.visible = true;
        runtime_.Refresh();

        FileSystem& files = platform_.files;
        const ArchiveDirectory directory = ReadArchiveDirectory(files, startup_.executablePath);
        for (const ArchiveEntry& entry : directory.entries) {
            form.lstFiles.AddItem(entry.name);
        }

        // A private folder of our own, never fixed names in the shared temporary folder.
        extraction_ = std::make_unique<ExtractionFolder>(files, platform_.process.GetTempFolder());
        form.ExtractPath = extraction_->path();
        watch_ = platform_.process.RemoveOnTermination(form.ExtractPath);
        ExtractAll(files, startup_.executablePath, directory, form.ExtractPath,
                   [this] { runtime_.PumpEvents(); });

        DescriptorPath = form.ExtractPath + "kernova.xml";
        form.URL = DecodeAnsiText(ReadTag(files, "URL", "", ""));
        form.URLTitle = DecodeAnsiText(ReadTag(files, "URLName", "", ""));
        form.PackageTitle = DecodeAnsiText(ReadTag(files, "Title", "", ""));

        form.txtReadme.text = OptionalText(files, "Readme", form.ExtractPath + "readme.txt");
        form.txtLicense.text = OptionalText(files, "License", form.ExtractPath + "license.txt");

        for (const std::string& name : form.lstFiles.items()) {
            if (IsFontEntry(name)) {
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

        if (TagIsTrue(files, "ShowFontPreview", "False")) {
            ShowFontPreview();
        }
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
