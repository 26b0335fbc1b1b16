#include "platform/win32/win32_process.h"

#include "platform/path.h"
#include "platform/win32/termination_cleanup.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

namespace kernova::win32 {
namespace {

class ConsoleWatch : public TerminationWatch {
  public:
    explicit ConsoleWatch(std::wstring folder) : folder_(std::move(folder)) {
        TerminationCleanup::Instance().Watch(folder_);
    }
    ~ConsoleWatch() override { TerminationCleanup::Instance().Unwatch(folder_); }

  private:
    std::wstring folder_;
};

} // namespace

std::string Win32Process::GetTempFolder() {
    wchar_t path[MAX_PATH + 2] = {};
    const DWORD size = ::GetTempPathW(MAX_PATH + 1, path);
    if (size > 0 && size <= MAX_PATH + 1) {
        return ShownFolder(Narrow(path));
    }
    wchar_t windows[MAX_PATH + 1] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    return Narrow(windows) + "\\Temp";
}

std::unique_ptr<TerminationWatch> Win32Process::RemoveOnTermination(const std::string& folder) {
    return std::make_unique<ConsoleWatch>(WidenPath(ShownFolder(folder)));
}

} // namespace kernova::win32
