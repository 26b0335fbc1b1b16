// Arbitrary bytes as an installer: the directory pass, then the extraction into a private
// folder inside the scratch folder and /E's writing of the entries into another. Never
// crashes, never writes outside those folders, and every file written holds exactly the
// bytes of its name's last entry.
//
// The scratch folder is $KERNOVA_FUZZ_SCRATCH (set by scripts/fuzz.sh), else the current
// folder. It holds the package file and "tmp", the extraction folders' parent; after each
// input both are as before.

#include "archive/archive_directory.h"
#include "archive/corrupt_package.h"
#include "archive/extraction.h"
#include "archive/plain_file_name.h"
#include "platform/posix/posix_file_system.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

// Inputs declaring more than this much data are listed but not extracted (speed only).
constexpr std::int64_t kMaxExtracted = 1 << 20;

[[noreturn]] void Fault(const std::string& what) {
    std::fprintf(stderr, "archive_fuzz: %s\n", what.c_str());
    std::abort();
}

struct Scratch {
    fs::path root;
    fs::path package;
    fs::path tmp;
};

const Scratch& GetScratch() {
    static const Scratch scratch = [] {
        const char* env = std::getenv("KERNOVA_FUZZ_SCRATCH");
        Scratch s;
        s.root = fs::absolute(env != nullptr && *env != '\0' ? fs::path(env) : fs::current_path()) /
                 "archive_fuzz";
        s.package = s.root / "package";
        s.tmp = s.root / "tmp";
        fs::create_directories(s.tmp);
        return s;
    }();
    return scratch;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The scratch folder holds the package and an empty "tmp", nothing else.
void CheckScratchIsClean(const Scratch& scratch) {
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch.root)) {
        if (entry.path() != scratch.package && entry.path() != scratch.tmp) {
            Fault("written outside the extraction folder: " + entry.path().string());
        }
    }
    if (!fs::is_empty(scratch.tmp)) {
        Fault("the extraction folder was not removed");
    }
}

void CheckDirectory(const kernova::ArchiveDirectory& directory, std::int64_t length) {
    if (directory.entries.empty()) {
        Fault("a directory without entries");
    }
    for (const kernova::ArchiveEntry& entry : directory.entries) {
        if (!kernova::IsPlainFileName(entry.name)) {
            Fault("a name that is not plain was accepted");
        }
        if (entry.size < 0 || entry.dataOffset < 0 ||
            entry.dataOffset + entry.size + 50 + 519 > length) {
            Fault("an entry outside the file was accepted");
        }
    }
}

// `folder` holds exactly one file per name in `expected`, with its bytes.
void CheckWritten(const std::string& folder, const std::map<std::string, std::string>& expected,
                  const std::string& how) {
    std::size_t count = 0;
    for (const fs::directory_entry& file : fs::directory_iterator(folder)) {
        ++count;
        auto it = expected.find(file.path().filename().string());
        if (it == expected.end()) {
            Fault("an unexpected file was " + how + ": " + file.path().string());
        }
        if (ReadAll(file.path()) != it->second) {
            Fault("a file " + how + " differs from its entry: " + it->first);
        }
    }
    if (count != expected.size()) {
        Fault("an entry was not " + how);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static kernova::posix::PosixFileSystem files;
    const Scratch& scratch = GetScratch();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(scratch.package, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    kernova::ArchiveDirectory directory;
    try {
        directory = kernova::ReadArchiveDirectory(files, scratch.package.string());
    } catch (const kernova::CorruptPackage&) {
        CheckScratchIsClean(scratch);
        return 0;
    }
    CheckDirectory(directory, static_cast<std::int64_t>(size));
    std::int64_t total = 0;
    for (const kernova::ArchiveEntry& entry : directory.entries) {
        total += entry.size;
    }
    if (total > kMaxExtracted) {
        return 0;
    }

    {
        kernova::ExtractionFolder folder(files, scratch.tmp.string());
        kernova::ExtractAll(files, scratch.package.string(), directory, folder.path(), {});
        // Read order: of two entries with one name, the one read later (appended earlier)
        // is written later and remains.
        std::map<std::string, std::string> expected;
        for (const kernova::ArchiveEntry& entry : directory.entries) {
            expected[entry.name] = bytes.substr(static_cast<std::size_t>(entry.dataOffset),
                                                static_cast<std::size_t>(entry.size));
        }
        CheckWritten(folder.path(), expected, "extracted");
        // /E writes the same straight from the package, whatever else is beside it.
        kernova::ExtractionFolder beside(files, scratch.tmp.string());
        if (!kernova::ExtractFonts(files, scratch.package.string(), directory, beside.path(),
                                   scratch.package.string())
                 .empty()) {
            Fault("an entry could not be written beside the installer");
        }
        CheckWritten(beside.path(), expected, "written beside the installer");
    }
    CheckScratchIsClean(scratch);
    return 0;
}
