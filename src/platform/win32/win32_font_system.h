#pragma once

#include "platform/file_system.h"
#include "platform/font_system.h"
#include "platform/shell_folders.h"

namespace kernova::win32 {

// The system's fonts on Windows: face names from the font's own name table (the name the
// system records), the font registry under HKEY_LOCAL_MACHINE, the font loaded for the
// session by AddFontResourceW, and the font change broadcast to every top-level window.
class Win32FontSystem : public FontSystem {
  public:
    Win32FontSystem(FileSystem& files, ShellFolders& folders) : files_(files), folders_(folders) {}

    // Empty unless the system's font engine also takes the file as a font.
    std::string FaceName(const std::string& fontFile) override;
    bool IsFaceInstalled(const std::string& faceName) override;
    // The value's data is the bare file name for a file in the fonts folder, else its path;
    // its name says TrueType or OpenType (CFF) outlines, and names a collection's every face.
    std::error_code Register(const std::string& faceName,
                             const std::string& installedFile) override;
    // Never waits on a window that does not answer.
    void BroadcastChange() override;

  private:
    std::wstring ValueNameOf(const std::string& installedFile, const std::string& faceName);

    FileSystem& files_;
    ShellFolders& folders_;
};

} // namespace kernova::win32
