#include "archive/extraction.h"

#include "archive/plain_file_name.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace kernova {
namespace {

// Copies one file through a staged file in the target folder; false when it failed (and
// then nothing new is left there).
bool CopyFile(FileSystem& files, const std::string& from, const std::string& toFolder,
              const std::string& to) {
    std::error_code ec;
    std::unique_ptr<InputFile> source = files.Open(from, ec);
    if (!source) {
        return false;
    }
    std::unique_ptr<StagedFile> staged = files.Stage(toFolder, 0644, ec);
    // Readable by everyone, as files handed out are, whatever the file-creation mask.
    if (!staged || staged->CopyFrom(*source, 0, source->Size()) || staged->SetMode(0644)) {
        return false;
    }
    return !staged->Commit(to, Placement::Replace);
}

} // namespace

void ExtractFonts(FileSystem& files, const std::vector<std::string>& names,
                  const std::string& extractPath, const std::string& appPath) {
    if (extractPath.empty() || appPath.empty()) {
        return; // never relative to whatever the current folder is
    }
    files.RemoveStaleStagedFiles(appPath); // what a killed run left staged there
    for (const std::string& name : names) {
        if (IsPlainFileName(name)) {
            // A copy that fails is skipped.
            CopyFile(files, JoinPath(extractPath, name), appPath, JoinPath(appPath, name));
        }
    }
}

void KillFiles(FileSystem& files, const std::vector<std::string>& names,
               const std::string& extractPath) {
    if (extractPath.empty()) {
        return;
    }
    for (const std::string& name : names) {
        if (IsPlainFileName(name)) {
            (void)files.Remove(JoinPath(extractPath, name)); // that one file; failures skipped
        }
    }
}

} // namespace kernova
