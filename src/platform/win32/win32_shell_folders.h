#pragma once

#include "platform/shell_folders.h"

namespace kernova::win32 {

// The shell's own folders by their numbers (the fonts folder, the user's Favorites),
// created when missing.
class Win32ShellFolders : public ShellFolders {
  public:
    std::string GetSpecialFolder(ShellFolder folder) override;
};

} // namespace kernova::win32
