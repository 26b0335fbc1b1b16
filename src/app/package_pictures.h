#pragma once

#include <string>

namespace kernova {

class Runtime;
struct MainForm;

// The side picture (entries named LEFT.xxx) and the header picture of the licence,
// information and installing pages (TOP.xxx), from the extracted entries. Every match
// loads, so the last match in lstFiles wins. Throws CorruptPackage for an entry name
// shorter than four characters or a match that is not a loadable picture.
void LoadPackagePictures(MainForm& form, Runtime& runtime);

// True for the entries LoadPackagePictures reads.
bool IsPackagePicture(const std::string& name);

} // namespace kernova
