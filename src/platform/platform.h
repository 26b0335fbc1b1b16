#pragma once

#include "platform/file_system.h"
#include "platform/font_system.h"
#include "platform/process.h"
#include "platform/shell_folders.h"

namespace kernova {

// The system services a run uses, wired by each platform's main (tests wire fakes).
struct Platform {
    FileSystem& files;
    FontSystem& fonts;
    ShellFolders& folders;
    Process& process;
};

} // namespace kernova
