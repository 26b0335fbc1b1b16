#include "support/wizard_package.h"

#include "support/linux_platform.h"

#include "platform/runtime.h"
#include "support/sandbox.h"

#include <algorithm>
#include <system_error>

namespace kernova::test {

namespace fs = std::filesystem;

fs::path MakeInstaller(const fs::path& folder, const std::vector<PackageInput>& entries,
                       const std::string& fileName) {
    fs::create_directories(folder);
    const fs::path stub = folder / (fileName + ".stub");
    WriteFileBytes(stub, "\x7F"
                         "ELF stand-in for the installer program\n");
    const fs::path installer = folder / fileName;
    WritePackage(LinuxPlatform().files, stub.string(), entries, installer.string());
    fs::remove(stub);
    return installer;
}

PackageInput BytesEntry(const std::string& name, const std::string& bytes) {
    PackageInput input;
    input.name = name;
    input.data = bytes;
    input.fromMemory = true;
    return input;
}

PackageInput FileEntry(const std::string& name, const fs::path& source) {
    PackageInput input;
    input.name = name;
    input.sourcePath = source.string();
    return input;
}

PackageInput DescriptorEntry(const std::vector<std::pair<std::string, std::string>>& tags) {
    std::string text = "<XML>\r\n";
    for (const auto& [tag, value] : tags) {
        text += "<" + tag + ">" + value + "</" + tag + ">\r\n";
    }
    text += "</XML>\r\n";
    return BytesEntry("kernova.xml", text);
}

std::string PngBytes() {
    static const unsigned char kPng[] = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
        0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
        0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78,
        0x9C, 0x63, 0x00, 0x01, 0x00, 0x00, 0x05, 0x00, 0x01, 0x0D, 0x0A, 0x2D, 0xB4, 0x00,
        0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82,
    };
    return std::string(reinterpret_cast<const char*>(kPng), sizeof kPng);
}

std::optional<ExitCode> EndsProgram(const std::function<void()>& action) {
    try {
        action();
    } catch (const ProgramEnded& ended) {
        return ended.code;
    }
    return std::nullopt;
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
