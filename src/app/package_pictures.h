#pragma once

namespace kernova {

class Runtime;
struct MainForm;

// The side picture (entries named LEFT.xxx) and the header picture of the licence,
// information and installing pages (TOP.xxx), from the extracted entries. Every match
// loads, so the last match in lstFiles wins. Throws CorruptPackage for an entry name
// shorter than four characters or a match that is not a loadable picture.
void LoadPackagePictures(MainForm& form, Runtime& runtime);

} // namespace kernova
