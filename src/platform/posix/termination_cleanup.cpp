#include "platform/posix/termination_cleanup.h"

#include "platform/posix/staged_names.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/syscall.h>
#include <system_error>
#include <unistd.h>

namespace kernova::posix {
namespace {

// Every signal whose default ends the process and that can be caught.
constexpr int kSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM,   SIGUSR1, SIGUSR2,
                            SIGALRM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGPIPE};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

// Signal handling is process-wide, so what the handler reads lives at namespace scope.
// Arm fills it before any handler is installed; the handler only reads it.
struct Watch {
    int parentFd = -1; // the folder holding the watched folder
    int folderFd = -1; // the watched folder itself
    char leaf[NAME_MAX + 1] = {};
    struct sigaction previous[kSignalCount] = {};
    bool installed[kSignalCount] = {};
};
Watch watch;
std::atomic<bool> watchInUse{false};
// Set by the first handler to run: a signal arriving on another thread meanwhile waits
// for that one to finish and end the process.
std::atomic<bool> cleaning{false};

// One record of the kernel's directory listing (getdents64).
struct DirectoryRecord {
    ino64_t inode;
    off64_t next;
    unsigned short length;
    unsigned char type;
    char name[1];
};

bool IsDots(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Empties the folder and removes it. Only system calls that are safe in a signal handler;
// the listing is read again after each round, since another thread may still be adding a
// file while this runs.
void RemoveWatchedFolder() {
    if (watch.folderFd < 0) {
        return; // armed without a folder
    }
    alignas(8) char records[4096];
    for (int round = 0; round < 64; ++round) {
        ::lseek(watch.folderFd, 0, SEEK_SET);
        long got;
        while ((got = ::syscall(SYS_getdents64, watch.folderFd, records, sizeof records)) > 0) {
            for (long at = 0; at < got;) {
                const auto* record = reinterpret_cast<const DirectoryRecord*>(records + at);
                if (!IsDots(record->name)) {
                    ::unlinkat(watch.folderFd, record->name, 0);
                }
                at += record->length;
            }
        }
        if (::unlinkat(watch.parentFd, watch.leaf, AT_REMOVEDIR) == 0 || errno == ENOENT) {
            return;
        }
    }
}

extern "C" void OnTerminationSignal(int signal) {
    if (cleaning.exchange(true)) {
        for (;;) {
            ::pause();
        }
    }
    RemoveRememberedStagedNames();
    RemoveWatchedFolder();
    ::_exit(128 + signal);
}

void CloseWatchFiles() {
    if (watch.folderFd >= 0) {
        ::close(watch.folderFd);
    }
    if (watch.parentFd >= 0) {
        ::close(watch.parentFd);
    }
    watch.folderFd = watch.parentFd = -1;
}

// Opens the folder and its parent for the handler; on failure nothing stays open and the
// watch is free again.
void OpenWatchedFolder(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    const std::string::size_type slash = path.rfind('/');
    const std::string parent =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    if (leaf.empty() || leaf.size() > NAME_MAX) {
        watchInUse = false;
        throw std::system_error(std::make_error_code(std::errc::invalid_argument),
                                "cannot watch " + folder);
    }
    watch.parentFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    watch.folderFd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (watch.parentFd < 0 || watch.folderFd < 0) {
        int error = errno;
        CloseWatchFiles();
        watchInUse = false;
        throw std::system_error(error, std::generic_category(), "cannot watch " + folder);
    }
    std::memcpy(watch.leaf, leaf.c_str(), leaf.size() + 1);
}

} // namespace

TerminationCleanup::~TerminationCleanup() {
    Disarm();
}

void TerminationCleanup::Arm(const std::string& folder) {
    if (armed_) {
        Disarm();
    }
    if (watchInUse.exchange(true)) {
        throw std::system_error(std::make_error_code(std::errc::device_or_resource_busy),
                                "another folder is already watched for termination");
    }
    if (!folder.empty()) {
        OpenWatchedFolder(folder);
    }
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals) {
        sigaddset(&action.sa_mask, signal); // a second signal waits until the first is done
    }
    for (int i = 0; i < kSignalCount; ++i) {
        watch.installed[i] = false;
        if (::sigaction(kSignals[i], nullptr, &watch.previous[i]) != 0 ||
            watch.previous[i].sa_handler == SIG_IGN) {
            continue; // started with the signal ignored (nohup): keep it that way
        }
        watch.installed[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
    armed_ = true;
}

void TerminationCleanup::Disarm() noexcept {
    if (!armed_) {
        return;
    }
    for (int i = 0; i < kSignalCount; ++i) {
        if (watch.installed[i]) {
            ::sigaction(kSignals[i], &watch.previous[i], nullptr);
            watch.installed[i] = false;
        }
    }
    CloseWatchFiles();
    armed_ = false;
    watchInUse = false;
}

} // namespace kernova::posix
