#include "archive/extraction.h"

#include "archive/environment_fault.h"
#include "archive/plain_file_name.h"
#include "platform/file_system.h"
#include "platform/path.h"

#include <unordered_map>

namespace kernova {
namespace {

// Writes one entry through a staged file in the target folder; on a failure nothing new is
// left there and the cause is returned.
std::error_code WriteEntry(FileSystem& files, InputFile& package, const ArchiveEntry& entry,
                           const std::string& toFolder, const std::string& to) {
    std::error_code ec;
    std::unique_ptr<StagedFile> staged = files.Stage(toFolder, 0644, ec);
    if (!staged) {
        return ec;
    }
    // Readable by everyone, as files handed out are, whatever the file-creation mask.
    if ((ec = staged->CopyFrom(package, entry.dataOffset, entry.size)) ||
        (ec = staged->SetMode(0644))) {
        return ec;
    }
    return staged->Commit(to, Placement::Replace);
}

} // namespace

std::vector<std::string> ExtractFonts(FileSystem& files, const std::string& file,
                                      const ArchiveDirectory& directory, const std::string& appPath,
                                      const std::string& installer) {
    std::vector<std::string> unwritten;
    if (appPath.empty()) {
        return unwritten; // never relative to whatever the current folder is
    }
    std::error_code ec;
    std::unique_ptr<InputFile> package = files.Open(file, ec);
    if (!package) {
        return {UnreadableInstaller(file, ec).what()};
    }
    files.RemoveStaleStagedFiles(appPath); // what a killed run left staged there
    // Read order puts the entry appended earlier later: the last of a name is what
    // extraction leaves under it. Each name is written once, where it is first listed;
    // names are told apart as the file system tells them (on Windows, in any letter case).
    std::unordered_map<std::string, std::size_t> last;
    for (std::size_t i = 0; i < directory.entries.size(); ++i) {
        last[FileNameKey(directory.entries[i].name)] = i;
    }
    for (const ArchiveEntry& listed : directory.entries) {
        auto found = last.find(FileNameKey(listed.name));
        if (found == last.end() || !IsPlainFileName(listed.name)) {
            continue; // written already, or a name that leads out of the folder
        }
        const ArchiveEntry& entry = directory.entries[found->second];
        last.erase(found);
        if (entry.size < 0) {
            continue; // as extraction leaves it: no file
        }
        const std::string target = JoinPath(appPath, entry.name);
        if (target == installer || files.SameFile(target, installer)) {
            unwritten.push_back(entry.name + " is the name of this installer: not replaced");
        } else if ((ec = WriteEntry(files, *package, entry, appPath, target))) {
            unwritten.push_back("cannot write " + entry.name + " to " + ShownFolder(appPath) +
                                ": " + ec.message());
        }
    }
    return unwritten;
}

} // namespace kernova
