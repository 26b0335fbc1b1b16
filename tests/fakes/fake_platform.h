#pragma once

#include "fakes/fake_file_system.h"
#include "platform/font_system.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/shell_folders.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kernova::test {

// Font files of the fake font system: "FONT:" and the face name (FontBytes makes them).
std::string FontBytes(const std::string& faceName);

// Face names from `faceNames` by path, else from the file's bytes; a registry of names.
class FakeFontSystem : public FontSystem {
  public:
    explicit FakeFontSystem(FileSystem& files) : files_(files) {}

    std::map<std::string, std::string> faceNames;
    std::set<std::string> installed;
    std::vector<std::pair<std::string, std::string>> registered; // face name, file
    int broadcasts = 0;

    std::string FaceName(const std::string& fontFile) override;
    bool IsFaceInstalled(const std::string& faceName) override {
        return installed.count(faceName) > 0;
    }
    void Register(const std::string& faceName, const std::string& installedFile) override;
    void BroadcastChange() override { ++broadcasts; }

  private:
    FileSystem& files_;
};

// The folders as set here; empty: the folder cannot be had.
class FakeShellFolders : public ShellFolders {
  public:
    std::string fonts = "/fonts";
    std::string favorites = "/favorites";
    std::string GetSpecialFolder(ShellFolder folder) override {
        return folder == ShellFolder::Fonts ? fonts : favorites;
    }
};

// A temporary folder and a record of the folders watched (`watching` while they are).
class FakeProcess : public Process {
  public:
    std::string temp = "/tmp";
    std::vector<std::string> watched;
    int watching = 0;
    std::string GetTempFolder() override { return temp; }
    std::unique_ptr<TerminationWatch> RemoveOnTermination(const std::string& folder) override;
};

// The fakes wired together, with the four folders made.
struct FakePlatform {
    FakePlatform();
    FakeFileSystem files;
    FakeFontSystem fonts{files};
    FakeShellFolders folders;
    FakeProcess process;
    Platform platform{files, fonts, folders, process};
};

} // namespace kernova::test
