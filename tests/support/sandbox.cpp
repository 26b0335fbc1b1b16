#include "support/sandbox.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>

namespace kernova::test {

namespace fs = std::filesystem;

Sandbox::Sandbox(const std::string& extraConfig) {
    fs::create_directories(KERNOVA_SANDBOX_ROOT);
    std::string pattern = KERNOVA_SANDBOX_ROOT "/t-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
    }
    root_ = pattern;
    for (const fs::path& dir : {tmp(), fontsDir(), fontconfigCache(), work(), home() / ".config",
                                home() / ".cache", root_ / "run"}) {
        fs::create_directories(dir);
    }
    ::chmod((root_ / "run").c_str(), 0700);
    WriteFileBytes(root_ / "fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" +
                                             fontsDir().string() + "</dir>\n  <cachedir>" +
                                             fontconfigCache().string() + "</cachedir>\n" +
                                             extraConfig + "</fontconfig>\n");
    for (const auto& [name, value] : environment()) {
        const char* old = std::getenv(name.c_str());
        saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        ::setenv(name.c_str(), value.c_str(), 1);
    }
}

Sandbox::~Sandbox() {
    for (const auto& [name, value] : saved_) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
    std::error_code ec;
    // Tests may leave read-only folders behind (an unwritable fonts folder).
    for (auto it = fs::recursive_directory_iterator(root_, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::remove_all(root_, ec);
}

std::map<std::string, std::string> Sandbox::environment() const {
    return {
        {"HOME", home().string()},
        {"TMPDIR", tmp().string()},
        {"XDG_DATA_HOME", dataHome().string()},
        {"XDG_CONFIG_HOME", (home() / ".config").string()},
        {"XDG_CACHE_HOME", (home() / ".cache").string()},
        {"XDG_RUNTIME_DIR", (root_ / "run").string()},
        {"FONTCONFIG_FILE", (root_ / "fonts.conf").string()},
    };
}

fs::path TestFont(const std::string& fileName) {
    return fs::path(KERNOVA_FONT_DIR) / fileName;
}

std::string ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::ostringstream bytes; // far quicker than a character at a time for large fonts
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::vector<std::string> FolderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
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

} // namespace kernova::test
