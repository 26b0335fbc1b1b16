#pragma once

#include <string>

namespace kernova {

// The shell folders the installer writes into, numbered as the shell numbers them.
enum class ShellFolder { Favorites = 6, Fonts = 20 };

class ShellFolders {
  public:
    virtual ~ShellFolders() = default;

    // The folder without a trailing separator, created when missing; the empty text when
    // it cannot be had.
    virtual std::string GetSpecialFolder(ShellFolder folder) = 0;
};

} // namespace kernova
