#include "app/package_pictures.h"

#include "archive/corrupt_package.h"
#include "archive/text_routines.h"
#include "platform/runtime.h"
#include "ui/main_form.h"

#include <string>

namespace kernova {
namespace {

constexpr const char* kSideStem = "LEFT";
constexpr const char* kHeaderStem = "TOP";

// True when `name` without its last four characters (a dot and a three-character
// extension) is `stem`.
bool HasStem(const std::string& name, const char* stem) {
    return name.size() >= 4 &&
           EqualsIgnoringCase(std::string_view(name).substr(0, name.size() - 4), stem);
}

// Loads every entry whose name has `stem`, in list order, into `target`.
void LoadMatches(MainForm& form, Runtime& runtime, const char* stem, Picture& target) {
    for (const std::string& name : form.lstFiles.items()) {
        if (name.size() < 4) {
            throw CorruptPackage("entry name shorter than four characters: \"" + name + "\"");
        }
        if (!HasStem(name, stem)) {
            continue;
        }
        Picture loaded;
        if (!runtime.LoadPicture(form.ExtractPath + name, loaded)) {
            throw CorruptPackage("not a picture: \"" + name + "\"");
        }
        target = std::move(loaded);
    }
}

} // namespace

bool IsPackagePicture(const std::string& name) {
    return HasStem(name, kSideStem) || HasStem(name, kHeaderStem);
}

void LoadPackagePictures(MainForm& form, Runtime& runtime) {
    LoadMatches(form, runtime, kSideStem, form.imgSide.picture);
    LoadMatches(form, runtime, kHeaderStem, form.picLicense.picture);
    // The three inner pages share one header band.
    form.picInstall.picture = form.picLicense.picture;
    form.picReadme.picture = form.picLicense.picture;
}

} // namespace kernova
