#include "platform/posix/stale_staged_files.h"

#include "platform/posix/unique_fd.h"

#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kernova::posix {
namespace {

struct CloseFolder {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

bool IsStagedName(std::string_view name) {
    return name.size() > 14 && name.starts_with(".kernova-") && name.ends_with(".part");
}

bool IsStale(int folder, const char* name, std::chrono::seconds age) {
    UniqueFd file(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != ::geteuid() || std::time(nullptr) - info.st_mtime < age.count()) {
        return false;
    }
    // A live writer holds the lock; the name must still be the file that was locked.
    struct stat now {};
    return ::flock(file.get(), LOCK_EX | LOCK_NB) == 0 &&
           ::fstatat(folder, name, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_ino == info.st_ino &&
           now.st_dev == info.st_dev;
}

} // namespace

void RemoveStaleStagedFiles(const std::string& folder, std::chrono::seconds age) noexcept {
    std::unique_ptr<DIR, CloseFolder> listing(::opendir(folder.c_str()));
    if (!listing) {
        return;
    }
    const int fd = ::dirfd(listing.get());
    while (const dirent* entry = ::readdir(listing.get())) {
        if (IsStagedName(entry->d_name) && IsStale(fd, entry->d_name, age)) {
            ::unlinkat(fd, entry->d_name, 0);
        }
    }
}

} // namespace kernova::posix
