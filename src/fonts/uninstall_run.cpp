#include "fonts/uninstall_run.h"

#include "archive/plain_file_name.h"
#include "archive/text_routines.h"
#include "fonts/face_name.h"
#include "fonts/font_registry.h"
#include "fonts/install_record.h"
#include "platform/file_system.h"
#include "platform/font_system.h"
#include "platform/path.h"
#include "platform/platform.h"

#include <algorithm>
#include <exception>

namespace kernova {
namespace {

// The first record other than `ours` that names the file `name` of `folder`, or nullptr.
PackageRecord* OtherUser(std::vector<PackageRecord>& records, const PackageRecord& ours,
                         const std::string& folder, const std::string& name) {
    for (PackageRecord& record : records) {
        if (&record == &ours) {
            continue;
        }
        for (const RecordedFile& file : record.files) {
            if (SameFileName(file.name, name)) {
                return &record;
            }
        }
        for (const std::string& path : record.uses) {
            if (SameFileName(path, folder + name)) {
                return &record;
            }
        }
    }
    return nullptr;
}

void RemoveRecordedFiles(Platform& platform, const std::string& folder,
                         std::vector<PackageRecord>& records, PackageRecord& ours,
                         UninstallState& state) {
    std::vector<RecordedFile> remaining;
    for (const RecordedFile& file : ours.files) {
        const std::string path = folder + file.name;
        RecordedFile now;
        const std::error_code looked = DescribeFile(platform.files, path, now);
        if (looked == std::errc::no_such_file_or_directory) {
            continue; // removed already, by the user or an earlier /U
        }
        if (looked || now.size != file.size || now.digest != file.digest) {
            ++state.kept;
            state.notes.push_back("kept " + file.name + ": it changed since it was installed");
            continue;
        }
        if (PackageRecord* user = OtherUser(records, ours, folder, file.name)) {
            // The file is now the other package's: its /U removes it when nothing else uses it.
            ++state.kept;
            state.notes.push_back("kept " + file.name + ": another package uses it");
            std::erase_if(user->uses,
                          [&](const std::string& used) { return SameFileName(used, path); });
            std::erase_if(user->files, [&](const RecordedFile& theirs) {
                return SameFileName(theirs.name, file.name);
            });
            user->files.push_back(file);
            continue;
        }
        const std::string faceName = GetFontName(platform.fonts, path);
        platform.fonts.Unregister(path);
        if (std::error_code ec = platform.files.Remove(path)) {
            ++state.failed;
            state.problems.push_back("cannot remove " + file.name + " from " + ShownFolder(folder) +
                                     ": " + ec.message());
            (void)RegisterFont(platform.fonts, folder, faceName, file.name); // as it was
            remaining.push_back(file);
            continue;
        }
        ++state.removed;
    }
    ours.files = std::move(remaining);
}

} // namespace

std::string UninstallSummaryLine(const UninstallState& state) {
    return std::to_string(state.removed) + " removed, " + std::to_string(state.kept) + " kept" +
           (state.failed > 0 ? ", " + std::to_string(state.failed) + " not removed" : "");
}

UninstallState UninstallFonts(Platform& platform, const std::string& title) {
    UninstallState state;
    try {
        const std::string folder = GetFontsFolder(platform.folders);
        if (folder.empty()) {
            return state; // no fonts folder: nothing can have been installed there
        }
        const std::unique_ptr<FolderLock> lock = platform.files.LockFolder(folder);
        std::error_code ec;
        std::vector<PackageRecord> records = ReadInstallRecords(platform.files, folder, ec);
        if (ec) {
            state.problems.push_back("cannot read " + folder + kInstallRecordName + ": " +
                                     RecordProblem(ec));
            return state;
        }
        const std::string shownTitle = ReplaceControls(title);
        auto ours = std::find_if(records.begin(), records.end(), [&](const PackageRecord& record) {
            return record.title == shownTitle;
        });
        if (ours == records.end()) {
            return state;
        }
        // A package that only relied on fonts others installed has nothing to remove.
        const std::vector<PackageRecord> before = records;
        RemoveRecordedFiles(platform, folder, records, *ours, state);
        if (ours->files.empty()) {
            records.erase(ours);
        }
        if (records != before) {
            if (std::error_code written = WriteInstallRecords(platform.files, folder, records)) {
                state.problems.push_back("cannot update " + folder + kInstallRecordName + ": " +
                                         RecordProblem(written));
            }
        }
        BroadcastFontChange(platform.fonts);
    } catch (const std::exception& failure) {
        state.problems.push_back(failure.what());
    }
    return state;
}

} // namespace kernova
