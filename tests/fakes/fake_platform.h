#pragma once

#include "archive/text_routines.h"
#include "fakes/fake_file_system.h"
#include "fonts/sfnt_full_name.h"
#include "platform/font_system.h"
#include "platform/memory_input_file.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/shell_folders.h"

namespace kernova::test {

// Font files of the fake font system: "FONT:", the face name and a line end.
inline std::string FontBytes(const std::string& faceName) {
    return "FONT:" + faceName + "\n" + std::string(1000, 'g');
}

// Face names read from such files; a registry of names that registration adds to.
class FakeFontSystem : public FontSystem {
  public:
    explicit FakeFontSystem(const FakeFileSystem& files) : files(files) {}

    const FakeFileSystem& files;
    std::set<std::string> installed;
    std::vector<std::pair<std::string, std::string>> registered; // face name, file
    std::map<std::string, std::string> paths; // each registered file as the run named it
    int broadcasts = 0;

    // Of a real sfnt font, its full name.
    std::string FaceName(const std::string& fontFile) override {
        const std::string bytes = files.Read(fontFile);
        if (bytes.starts_with("FONT:")) {
            return bytes.substr(5, bytes.find('\n') - 5);
        }
        MemoryInputFile file(bytes.data(), bytes.size());
        return SfntFullName(file);
    }
    // A name installed without a file of its own is listed under "/system/<name>".
    std::vector<std::string> InstalledFiles(const std::string& faceName) override {
        std::vector<std::string> found;
        for (const auto& [face, file] : registered) {
            if (face == faceName) {
                found.push_back(paths.count(file) != 0 ? paths.at(file) : file);
            }
        }
        if (found.empty() && installed.count(faceName) > 0) {
            found.push_back("/system/" + faceName);
        }
        return found;
    }
    std::vector<std::string> unregistered;
    void Unregister(const std::string& installedFile) override {
        unregistered.push_back(FakeFileSystem::Key(installedFile));
        std::erase_if(registered,
                      [&](const auto& entry) { return entry.second == unregistered.back(); });
    }
    std::set<std::string> refused; // face names the registry will not record
    std::error_code Register(const std::string& faceName,
                             const std::string& installedFile) override {
        if (refused.count(faceName) > 0) {
            return std::make_error_code(std::errc::permission_denied);
        }
        registered.emplace_back(faceName, FakeFileSystem::Key(installedFile));
        paths[registered.back().second] = installedFile;
        installed.insert(TrimSpaces(faceName));
        return {};
    }
    void BroadcastChange() override { ++broadcasts; }
};

// The fonts folder as set here (empty: it cannot be had) and "/favorites".
class FakeShellFolders : public ShellFolders {
  public:
    std::string fonts = "/fonts";
    std::string GetSpecialFolder(ShellFolder folder) override {
        return folder == ShellFolder::Fonts ? fonts : "/favorites";
    }
};

// A temporary folder and the folders watched for termination.
class FakeProcess : public Process {
  public:
    std::vector<std::string> watched;
    std::string temp = "/tmp";
    std::string GetTempFolder() override { return temp; }
    std::unique_ptr<TerminationWatch> RemoveOnTermination(const std::string& folder) override {
        watched.push_back(folder);
        return std::make_unique<TerminationWatch>();
    }
};

// The fakes wired together, with the four folders made.
struct FakePlatform {
    FakePlatform() {
        for (const char* folder : {"/tmp", "/fonts", "/favorites", "/app"}) {
            files.AddFolder(folder);
        }
    }
    FakeFileSystem files;
    FakeFontSystem fonts{files};
    FakeShellFolders folders;
    FakeProcess process;
    Platform platform{files, fonts, folders, process};
};

} // namespace kernova::test
