#include "support/wizard_package.h"

#include "support/linux_platform.h"
#include "support/sandbox.h"

#include <algorithm>
#include <system_error>

namespace kernova::test {

namespace fs = std::filesystem;

fs::path MakeInstaller(const fs::path& folder, const std::vector<PackageInput>& entries,
                       const std::string& fileName) {
    fs::create_directories(folder);
    const fs::path stub = folder / (fileName + ".stub");
    WriteFileBytes(stub, StubBytes(64));
    const fs::path installer = folder / fileName;
    WritePackage(LinuxPlatform().files, stub.string(), entries, installer.string());
    fs::remove(stub);
    return installer;
}

PackageInput FileEntry(const std::string& name, const fs::path& source) {
    PackageInput input;
    input.name = name;
    input.sourcePath = source.string();
    return input;
}

std::vector<std::string> FolderContents(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        names.push_back(fs::relative(it->path(), folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace kernova::test
