#include "interruption_exit.h"

#include "platform/posix/posix_staged_file.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <iterator>
#include <pthread.h>
#include <stdexcept>
#include <unistd.h>

namespace kernova::pack {
namespace {

constexpr int kSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM,   SIGUSR1, SIGUSR2,
                            SIGALRM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF};
constexpr int kSignalCount = static_cast<int>(std::size(kSignals));

// Signal handling is process-wide, so what the handler reads lives at namespace scope. The
// staged name changes only while the signals are held back, so the handler never sees half
// of one.
struct Handling {
    char stagedName[PATH_MAX] = {}; // "" while no staged file has a name
    struct sigaction previous[kSignalCount] = {};
    bool installed[kSignalCount] = {};
};
Handling handling;
std::atomic<bool> handlingInUse{false};

extern "C" void OnInterruption(int signal) {
    if (handling.stagedName[0] != '\0') {
        ::unlink(handling.stagedName);
    }
    ::_exit(128 + signal);
}

sigset_t HandledSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kSignals) {
        sigaddset(&set, signal);
    }
    return set;
}

// The handled signals wait while it lives.
class HeldSignals {
  public:
    HeldSignals() {
        const sigset_t set = HandledSignals();
        pthread_sigmask(SIG_BLOCK, &set, &previous_);
    }
    ~HeldSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

  private:
    sigset_t previous_;
};

class InterruptibleStagedFile : public StagedFile {
  public:
    explicit InterruptibleStagedFile(std::unique_ptr<posix::PosixStagedFile> file)
        : file_(std::move(file)) {}
    ~InterruptibleStagedFile() override {
        HeldSignals held;
        file_.reset(); // deletes a staged file never committed
        handling.stagedName[0] = '\0';
    }
    InterruptibleStagedFile(const InterruptibleStagedFile&) = delete;
    InterruptibleStagedFile& operator=(const InterruptibleStagedFile&) = delete;

    std::error_code Write(const void* data, std::size_t size) override {
        return file_->Write(data, size);
    }
    std::error_code CopyFrom(InputFile& from, std::int64_t offset, std::int64_t length,
                             const std::function<void()>& between) override {
        return file_->CopyFrom(from, offset, length, between);
    }
    std::error_code SetMode(unsigned mode) override { return file_->SetMode(mode); }
    void StartWriteBack() override { file_->StartWriteBack(); }
    std::error_code Flush() override { return file_->Flush(); }
    // Committing may pass through a hidden name of its own; held back, a signal finds the
    // output either not there yet or complete.
    std::error_code Commit(const std::string& target, Placement placement) override {
        HeldSignals held;
        std::error_code ec = file_->Commit(target, placement);
        if (!ec) {
            handling.stagedName[0] = '\0';
        }
        return ec;
    }

  private:
    std::unique_ptr<posix::PosixStagedFile> file_;
};

} // namespace

InterruptionExit::InterruptionExit() {
    if (handlingInUse.exchange(true)) {
        throw std::logic_error("signals are already handled for the output");
    }
    struct sigaction action {};
    action.sa_handler = OnInterruption;
    action.sa_mask = HandledSignals(); // a second signal waits until the first is done
    for (int i = 0; i < kSignalCount; ++i) {
        handling.installed[i] = false;
        if (::sigaction(kSignals[i], nullptr, &handling.previous[i]) != 0 ||
            handling.previous[i].sa_handler == SIG_IGN) {
            continue;
        }
        handling.installed[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

InterruptionExit::~InterruptionExit() {
    for (int i = 0; i < kSignalCount; ++i) {
        if (handling.installed[i]) {
            ::sigaction(kSignals[i], &handling.previous[i], nullptr);
            handling.installed[i] = false;
        }
    }
    handlingInUse = false;
}

std::unique_ptr<StagedFile> InterruptibleFileSystem::Stage(const std::string& folder, unsigned mode,
                                                           std::error_code& ec) {
    HeldSignals held;
    std::unique_ptr<posix::PosixStagedFile> file = posix::PosixStagedFile::Create(folder, mode, ec);
    if (!file) {
        return nullptr;
    }
    const std::string& name = file->hiddenPath();
    if (name.size() >= sizeof handling.stagedName) {
        ec = std::make_error_code(std::errc::filename_too_long);
        return nullptr; // deleted again here, with the signals still held
    }
    std::memcpy(handling.stagedName, name.c_str(), name.size() + 1);
    return std::make_unique<InterruptibleStagedFile>(std::move(file));
}

} // namespace kernova::pack
