#include "support/linux_platform.h"

#include "platform/linux/linux_font_system.h"
#include "platform/linux/xdg_shell_folders.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_process.h"

namespace kernova::test {

Platform& LinuxPlatform() {
    static posix::PosixFileSystem files;
    static LinuxFontSystem fonts;
    static XdgShellFolders folders;
    static posix::PosixProcess process;
    static Platform platform{files, fonts, folders, process};
    return platform;
}

} // namespace kernova::test
