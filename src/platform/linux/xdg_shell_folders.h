#pragma once

#include "platform/shell_folders.h"

namespace kernova {

// The shell folders on a freedesktop system: fonts in /usr/local/share/fonts for root and
// ${XDG_DATA_HOME:-~/.local/share}/fonts for anyone else; Favorites beside them.
class XdgShellFolders : public ShellFolders {
  public:
    std::string GetSpecialFolder(ShellFolder folder) override;
};

} // namespace kernova
