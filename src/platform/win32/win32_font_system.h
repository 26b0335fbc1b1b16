#pragma once

#include "platform/file_system.h"
#include "platform/font_system.h"
#include "platform/shell_folders.h"
#include "platform/win32/font_registry_key.h"

#include <optional>
#include <utility>
#include <vector>

namespace kernova::win32 {

// The system's fonts on Windows: face names from the font's own name table (the name the
// system records), the font registry under HKEY_LOCAL_MACHINE, the font loaded for the
// session by AddFontResourceW, and the font change broadcast to every top-level window.
class Win32FontSystem : public FontSystem {
  public:
    Win32FontSystem(FileSystem& files, ShellFolders& folders) : files_(files), folders_(folders) {}

    // Empty unless the system's font engine also takes the file as a font.
    std::string FaceName(const std::string& fontFile) override;
    // The files of the values recording this face: by its name, as one of a collection's
    // names, or numbered ("Inter #2") where another font took the name first.
    std::vector<std::string> InstalledFiles(const std::string& faceName) override;
    // The value's data is the bare file name for a file in the fonts folder, else its path;
    // its name says TrueType or OpenType (CFF) outlines, and names a collection's every face.
    // A name that records another font (the roman of an italic with the same full name)
    // is kept, and this one is numbered.
    std::error_code Register(const std::string& faceName,
                             const std::string& installedFile) override;
    // Removes every value recording the file, and the file from this session's fonts.
    void Unregister(const std::string& installedFile) override;
    // Never waits on a window that does not answer.
    void BroadcastChange() override;

  private:
    std::pair<std::wstring, bool> ValueBaseOf(const std::string& installedFile,
                                              const std::string& faceName);
    // A value's data as a full path: a bare name is in the fonts folder.
    std::string RecordedPath(const std::string& data);
    bool HoldsOtherFont(const std::string& recorded, const std::string& file);
    // The registry's font values, read once and again after this object changed them: a
    // package of thousands of fonts is looked up in one pass over the key.
    const std::vector<FontsValue>& Values();

    FileSystem& files_;
    ShellFolders& folders_;
    std::optional<std::vector<FontsValue>> values_;
};

} // namespace kernova::win32
