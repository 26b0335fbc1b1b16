#include "app/package_pictures.h"

#include "archive/corrupt_package.h"
#include "archive/text_routines.h"
#include "platform/runtime.h"
#include "ui/main_form.h"

#include <string>

namespace kernova {
namespace {

// Loads every entry whose name without its last four characters (a dot and a
// three-character extension) is `stem`, in list order, into `target`.
void LoadMatches(MainForm& form, Runtime& runtime, const std::string& stem, Picture& target) {
    for (const std::string& name : form.lstFiles.items()) {
        if (name.size() < 4) {
            throw CorruptPackage("entry name shorter than four characters: \"" + name + "\"");
        }
        if (!EqualsIgnoringCase(std::string_view(name).substr(0, name.size() - 4), stem)) {
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

void LoadPackagePictures(MainForm& form, Runtime& runtime) {
    LoadMatches(form, runtime, "LEFT", form.imgSide.picture);
    LoadMatches(form, runtime, "TOP", form.picLicense.picture);
    // The three inner pages share one header band.
    form.picInstall.picture = form.picLicense.picture;
    form.picReadme.picture = form.picLicense.picture;
}

} // namespace kernova
