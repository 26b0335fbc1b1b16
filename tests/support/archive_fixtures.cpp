#include "support/archive_fixtures.h"

#include "support/sandbox.h"

#include <algorithm>
#include <cstdio>

namespace kernova::test {

namespace fs = std::filesystem;

std::string PatternBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::uint32_t state = 2463534242u ^ (seed * 0x9E3779B9u);
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state & 0xff);
    }
    return bytes;
}

std::string StubBytes(std::size_t size) {
    std::string stub = "\x7f"
                       "ELF stand-in installer image\n";
    stub.resize(size, '\0');
    return stub;
}

std::string NameField(const std::string& name) {
    return std::string(40 - std::min<std::size_t>(40, name.size()), '\r') + name;
}

std::string SizeField(std::int64_t size) {
    char field[32];
    std::snprintf(field, sizeof field, "%010lld", static_cast<long long>(size));
    return field;
}

std::string CountField(int count) {
    std::string digits = std::to_string(count);
    return std::string(5 - std::min<std::size_t>(5, digits.size()), '\r') + digits;
}

RawEntry RawFile(const std::string& name, const std::string& data) {
    return RawEntry{data, NameField(name), SizeField(static_cast<std::int64_t>(data.size()))};
}

fs::path WriteInstaller(const fs::path& path, const std::string& stub, const std::string& archive) {
    WriteFileBytes(path, stub + archive);
    return path;
}

TreeSnapshot Snapshot(const fs::path& root) {
    TreeSnapshot snapshot;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::end(it); ++it) {
        const std::string relative = fs::relative(it->path(), root).string();
        if (it->is_symlink()) {
            snapshot[relative] = "link -> " + fs::read_symlink(it->path()).string();
        } else if (it->is_directory()) {
            snapshot[relative] = "dir";
        } else {
            snapshot[relative] = ReadFileBytes(it->path());
        }
    }
    return snapshot;
}

std::vector<std::string> FolderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace kernova::test
