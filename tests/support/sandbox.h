#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kernova::test {

// A private world for one test: its own HOME, XDG_* folders, TMPDIR and a fontconfig
// configuration (FONTCONFIG_FILE) that lists only the sandbox's fonts folder, plus
// `extraConfig`, and keeps its cache inside the sandbox. The environment is set on
// construction and restored, and the folder removed, on destruction. Never the real user's
// fonts, home or temp.
class Sandbox {
  public:
    explicit Sandbox(const std::string& extraConfig = "");
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    std::filesystem::path home() const { return root_ / "home"; }
    std::filesystem::path tmp() const { return root_ / "tmp"; }
    std::filesystem::path dataHome() const { return home() / ".local/share"; }
    // Where the installer puts fonts for a user that is not root.
    std::filesystem::path fontsDir() const { return dataHome() / "fonts"; }
    std::filesystem::path favoritesDir() const { return dataHome() / "Favorites"; }
    std::filesystem::path fontconfigCache() const { return root_ / "fc-cache"; }
    // A scratch folder for the test's own files (packages, inputs).
    std::filesystem::path work() const { return root_ / "work"; }

    // The environment a child process of this test should get.
    std::map<std::string, std::string> environment() const;

  private:
    std::filesystem::path root_;
    std::map<std::string, std::optional<std::string>> saved_;
};

// Files of the generated test fonts (made at build time by tools/testfonts).
std::filesystem::path TestFont(const std::string& fileName);

// Reads a whole file as bytes.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// The names of the entries directly in `folder`, sorted (hidden ones too).
std::vector<std::string> FolderNames(const std::filesystem::path& folder);

// Every file, folder and link below `root` with its contents: two snapshots are equal when
// nothing was written, replaced or removed.
using TreeSnapshot = std::map<std::string, std::string>;
TreeSnapshot Snapshot(const std::filesystem::path& root);

} // namespace kernova::test
