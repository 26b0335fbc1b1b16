#include "archive/extraction.h"

#include "archive/environment_fault.h"
#include "archive/plain_file_name.h"
#include "platform/file_system.h"
#include "platform/pace.h"
#include "platform/path.h"

namespace kernova {

void ExtractAll(FileSystem& files, const std::string& file, const ArchiveDirectory& directory,
                const std::string& extractPath, const std::function<void()>& pump,
                const EntryFilter& wanted) {
    Pace pace;
    const auto yield = [&pump, &pace] {
        if (pump && pace.Due()) {
            pump();
        }
    };
    // One handle for the whole pass.
    std::error_code ec;
    std::unique_ptr<InputFile> package = files.Open(file, ec);
    if (!package) {
        throw UnreadableInstaller(file, ec);
    }
    const auto unwritten = [&extractPath](const std::string& name, const std::error_code& why) {
        return EnvironmentFault("cannot write " + name + " to " + ShownFolder(extractPath) + ": " +
                                why.message());
    };

    // Read order: the entry nearest the trailer first, so of two entries with the same
    // name the one appended earlier is written last and remains.
    for (const ArchiveEntry& entry : directory.entries) {
        if (wanted && !wanted(entry.name)) {
            continue; // no work, so nothing to keep painted
        }
        yield(); // the notice stays painted: between entries, and during long copies
        const std::string target = JoinPath(extractPath, entry.name);
        if (!IsPlainFileName(entry.name) || target.empty()) {
            continue;
        }
        if (entry.size < 0) {
            (void)files.Remove(target); // an earlier entry of that name goes, nothing comes
            continue;
        }
        // Written staged and committed into place: a write that fails (a full disk, a read
        // error) leaves no file, never a partial one.
        std::unique_ptr<StagedFile> staged = files.Stage(extractPath, 0644, ec);
        if (!staged) {
            throw unwritten(entry.name, ec);
        }
        ec = staged->CopyFrom(*package, entry.dataOffset, entry.size, yield);
        // The folder is the run's own and starts empty: only a name the package holds twice
        // is taken, and then replaced.
        if (!ec &&
            (ec = staged->Commit(target, Placement::KeepExisting)) == std::errc::file_exists) {
            ec = staged->Commit(target, Placement::Replace);
        }
        if (ec) {
            throw unwritten(entry.name, ec);
        }
    }
}

} // namespace kernova
