#include "pack_plan.h"

#include "archive/plain_file_name.h"
#include "archive/text_routines.h"
#include "font_check.h"
#include "fonts/font_format.h"
#include "pack_descriptor.h"
#include "platform/posix/posix_input_file.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <string_view>

namespace kernova::pack {
namespace {

constexpr const char* kDescriptorName = "kernova.xml";
constexpr std::size_t kMaxName = 40;

[[noreturn]] void Fail(const std::string& message) {
    throw std::runtime_error(message);
}

std::string BaseName(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Opened the way the writer opens its inputs, which never waits on a pipe or a device.
void CheckReadable(const std::string& path) {
    std::error_code ec;
    if (!posix::PosixInputFile::Open(path, ec, Links::Follow)) {
        Fail("cannot read " + path + ": " +
             (ec == std::errc::invalid_argument ? "not a regular file" : ec.message()));
    }
}

void CheckStoredName(const std::string& path, const std::string& name, bool windows) {
    if (!IsPlainFileName(name) || name.find_first_of("\r\n") != std::string::npos) {
        Fail(path + ": \"" + Printable(name) + "\" cannot be stored as a plain file name");
    }
    // The Windows installer takes such a package for a corrupt one.
    if (windows && !IsWindowsFileName(name)) {
        Fail(path + ": \"" + Printable(name) +
             "\" is no Windows file name (a device name, one of :<>\"|?* or a trailing dot "
             "or space)");
    }
}

// A name of at most 40 bytes for a font whose file name is longer: the start of its stem (cut
// between characters), "~", a number, and its extension, unlike any name in `taken` (folded).
std::string ShortenedName(const std::string& name, const std::set<std::string>& taken) {
    const std::string::size_type dot = name.rfind('.');
    const std::string extension = name.substr(dot);
    for (int number = 1;; ++number) {
        std::string suffix(1, '~');
        suffix += std::to_string(number);
        suffix += extension;
        std::size_t cut = kMaxName - suffix.size();
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            --cut; // never half a UTF-8 character
        }
        const std::string candidate = name.substr(0, cut) + suffix;
        if (taken.count(FoldCase(candidate)) == 0) {
            return candidate;
        }
    }
}

// What the installer takes for a font by its name: ".ttf" whatever the bytes, the others when
// the bytes are an sfnt font or collection.
bool EndsInFontExtension(const std::string& name) {
    const std::string_view extension =
        std::string_view(name).substr(name.size() - std::min<std::size_t>(name.size(), 4));
    for (const char* known : {".TTF", ".OTF", ".TTC", ".OTC"}) {
        if (EqualsIgnoringCase(extension, known)) {
            return true;
        }
    }
    return false;
}

// Refuses, naming the format, what no desktop installs from its fonts folder.
void CheckFontFormat(const std::string& path) {
    std::error_code ec;
    std::unique_ptr<InputFile> file = posix::PosixInputFile::Open(path, ec, Links::Follow);
    const FontFormat format = file ? DetectFontFormat(*file) : FontFormat::NotAFont;
    if (!IsInstallable(format)) {
        Fail(path + " is " + DescribeFontFormat(format) +
             ": only TrueType and OpenType fonts and collections are installed from a fonts "
             "folder");
    }
}

// The installer takes every entry named LEFT or TOP plus four characters for its side or
// header picture, whatever else the name says; "" when `name` is none of those.
std::string PictureNamed(const std::string& name) {
    const std::string stem = name.substr(0, name.size() - std::min<std::size_t>(name.size(), 4));
    if (EqualsIgnoringCase(stem, "LEFT")) {
        return "side";
    }
    return EqualsIgnoringCase(stem, "TOP") ? "header" : "";
}

PackageInput FromFile(const std::string& name, const std::string& path, bool text = false) {
    PackageInput input;
    input.name = name;
    input.sourcePath = path;
    input.crlfLineEnds = text;
    return input;
}

PackageInput Font(const std::string& path, bool windows) {
    const std::string name = BaseName(path);
    CheckStoredName(path, name, windows);
    if (!EndsInFontExtension(name)) {
        Fail(path + ": a font's name must end in .ttf, .otf, .ttc or .otc; the installer "
                    "installs only those");
    }
    if (name.front() == '.') {
        Fail(path + ": a font's name cannot begin with \".\"; fontconfig skips hidden files");
    }
    if (const std::string picture = PictureNamed(name); !picture.empty()) {
        Fail(path + ": a font named \"" + Printable(name) + "\" would be taken for the " + picture +
             " picture");
    }
    CheckReadable(path);
    CheckFontFormat(path);
    CheckFontOpens(path);
    return FromFile(name, path);
}

// The side and top pictures: LEFT.ext and TOP.ext, keeping the three-character extension.
PackageInput Picture(const std::string& option, const std::string& stem, const std::string& path,
                     bool windows) {
    CheckReadable(path);
    const std::string base = BaseName(path);
    const std::string::size_type dot = base.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : base.substr(dot + 1);
    if (dot == std::string::npos || extension.size() != 3) {
        Fail(option + " " + path +
             ": a picture needs an extension of three characters (such as .jpg or .bmp)");
    }
    if (EqualsIgnoringCase(extension, "TTF")) {
        Fail(option + " " + path + ": a picture named .ttf would be taken for a font");
    }
    const std::string name = stem + "." + extension;
    CheckStoredName(path, name, windows);
    return FromFile(name, path);
}

PackageInput Text(const std::string& name, const std::string& path) {
    CheckReadable(path);
    return FromFile(name, path, true);
}

} // namespace

std::vector<PackageInput> PlanPackage(const PackOptions& options, bool windowsStub,
                                      std::vector<std::string>* notes) {
    if (options.inputs.size() > 32767) {
        Fail("an installer holds at most 32767 entries; " + std::to_string(options.inputs.size()) +
             " files were given");
    }
    std::vector<PackageInput> fonts;
    std::optional<std::string> descriptorFile;
    for (const std::string& path : options.inputs) {
        if (BaseName(path) == kDescriptorName) {
            if (descriptorFile) {
                Fail(*descriptorFile + " and " + path + " are both named " + kDescriptorName);
            }
            CheckReadable(path);
            descriptorFile = path;
        } else {
            fonts.push_back(Font(path, windowsStub));
        }
    }
    if (fonts.empty()) {
        Fail("no fonts given");
    }
    if (descriptorFile && (options.title || options.url || options.urlName ||
                           options.addFavorites || options.preview)) {
        Fail("--title, --url, --url-name, --add-favorites and --preview write kernova.xml; "
             "they cannot be given together with " +
             *descriptorFile);
    }
    for (const auto& [option, value] :
         {std::pair{"--title", options.title}, std::pair{"--url", options.url},
          std::pair{"--url-name", options.urlName}}) {
        if (value) {
            CheckDescriptorValue(option, *value);
        }
    }

    std::vector<PackageInput> entries = fonts;
    if (options.side) {
        entries.push_back(Picture("--side", "LEFT", *options.side, windowsStub));
    }
    if (options.top) {
        entries.push_back(Picture("--top", "TOP", *options.top, windowsStub));
    }
    if (options.license) {
        entries.push_back(Text("license.txt", *options.license));
    }
    if (options.readme) {
        entries.push_back(Text("readme.txt", *options.readme));
    }
    if (descriptorFile) {
        entries.push_back(FromFile(kDescriptorName, *descriptorFile));
    } else {
        PackageInput descriptor;
        descriptor.name = kDescriptorName;
        descriptor.fromMemory = true;
        descriptor.data =
            DescriptorText({options.title.value_or(""), options.url.value_or(""),
                            options.urlName.value_or(""), options.readme.has_value(),
                            options.license.has_value(), options.addFavorites, options.preview});
        entries.push_back(descriptor);
    }

    // The package stores names of at most 40 bytes: a longer font name is shortened, and
    // the vendor told so.
    std::set<std::string> taken;
    for (const PackageInput& entry : entries) {
        if (entry.name.size() <= kMaxName) {
            taken.insert(FoldCase(entry.name));
        }
    }
    for (PackageInput& entry : entries) {
        if (entry.name.size() > kMaxName) {
            const std::string shortened = ShortenedName(entry.name, taken);
            taken.insert(FoldCase(shortened));
            if (notes != nullptr) {
                notes->push_back(entry.sourcePath + " is stored as \"" + Printable(shortened) +
                                 "\": the installer keeps names of at most 40 bytes");
            }
            entry.name = shortened;
        }
    }

    // Names that differ only in letter case collide in a case-insensitive folder.
    std::map<std::string, const PackageInput*> seen;
    for (const PackageInput& entry : entries) {
        auto [at, added] = seen.emplace(FoldCase(entry.name), &entry);
        if (!added) {
            const std::string first = at->second->sourcePath;
            Fail(first + " and " + entry.sourcePath + " would both be stored as \"" +
                 Printable(entry.name) + "\"");
        }
    }
    if (entries.size() > 32767) {
        Fail("an installer holds at most 32767 entries; these would make " +
             std::to_string(entries.size()));
    }
    return entries;
}

bool IsWindowsProgram(const std::string& path) {
    std::error_code ec;
    std::unique_ptr<InputFile> stub = posix::PosixInputFile::Open(path, ec, Links::Follow);
    char magic[2] = {};
    return stub && stub->Size() >= 2 && !stub->ReadAt(0, magic, 2) && magic[0] == 'M' &&
           magic[1] == 'Z';
}

} // namespace kernova::pack
