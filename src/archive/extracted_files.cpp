#include "archive/extraction.h"

#include "archive/plain_file_name.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace kernova {
namespace {

// Copies one file through a staged file in the target folder; on a failure nothing new is
// left there and the cause is returned.
std::error_code CopyFile(FileSystem& files, const std::string& from, const std::string& toFolder,
                         const std::string& to) {
    std::error_code ec;
    std::unique_ptr<InputFile> source = files.Open(from, ec);
    if (!source) {
        return ec;
    }
    std::unique_ptr<StagedFile> staged = files.Stage(toFolder, 0644, ec);
    if (!staged) {
        return ec;
    }
    // Readable by everyone, as files handed out are, whatever the file-creation mask.
    if ((ec = staged->CopyFrom(*source, 0, source->Size())) || (ec = staged->SetMode(0644))) {
        return ec;
    }
    return staged->Commit(to, Placement::Replace);
}

} // namespace

std::vector<std::string> ExtractFonts(FileSystem& files, const std::vector<std::string>& names,
                                      const std::string& extractPath, const std::string& appPath,
                                      const std::string& installer) {
    std::vector<std::string> unwritten;
    if (extractPath.empty() || appPath.empty()) {
        return unwritten; // never relative to whatever the current folder is
    }
    files.RemoveStaleStagedFiles(appPath); // what a killed run left staged there
    for (const std::string& name : names) {
        if (!IsPlainFileName(name)) {
            continue;
        }
        const std::string target = JoinPath(appPath, name);
        if (target == installer || files.SameFile(target, installer)) {
            unwritten.push_back(name + " is the name of this installer: not replaced");
        } else if (std::error_code ec =
                       CopyFile(files, JoinPath(extractPath, name), appPath, target)) {
            unwritten.push_back("cannot write " + name + " to " + ShownFolder(appPath) + ": " +
                                ec.message());
        }
    }
    return unwritten;
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
