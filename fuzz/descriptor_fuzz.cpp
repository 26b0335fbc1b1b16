// Arbitrary file contents and tag names for the descriptor reader. Never crashes or hangs,
// and every answer is either the caller's default or a non-empty run of the file's bytes
// without "</" in it.
//
// Input: one byte n, then n % 24 bytes of tag name, then the file's contents. The file is
// written to the scratch folder: $KERNOVA_FUZZ_SCRATCH (set by scripts/fuzz.sh), else the
// current folder.

#include "config/descriptor.h"
#include "platform/posix/posix_file_system.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;

const std::string kDefault = "\x01"
                             "default"
                             "\x01";

[[noreturn]] void Fault(const std::string& what) {
    std::fprintf(stderr, "descriptor_fuzz: %s\n", what.c_str());
    std::abort();
}

const fs::path& DescriptorFile() {
    static const fs::path path = [] {
        const char* env = std::getenv("KERNOVA_FUZZ_SCRATCH");
        const fs::path root =
            fs::absolute(env != nullptr && *env != '\0' ? fs::path(env) : fs::current_path()) /
            "descriptor_fuzz";
        fs::create_directories(root);
        return root / "kernova.xml";
    }();
    return path;
}

void Check(const std::string& tag, const std::string& contents) {
    static kernova::posix::PosixFileSystem files;
    const std::string value = kernova::ReadTag(files, tag, DescriptorFile().string(), kDefault);
    if (value == kDefault) {
        return;
    }
    if (value.empty()) {
        Fault("an empty value instead of the default");
    }
    if (value.find("</") != std::string::npos) {
        Fault("a value holding a closing marker");
    }
    if (contents.find(value) == std::string::npos) {
        Fault("a value that is not in the file");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t tagSize = std::min<std::size_t>(data[0] % 24, size - 1);
    const std::string tag(input.substr(1, tagSize));
    const std::string contents(input.substr(1 + tagSize));
    {
        std::ofstream out(DescriptorFile(), std::ios::binary | std::ios::trunc);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        if (!out) {
            Fault("cannot write the descriptor file");
        }
    }
    Check(tag, contents);
    for (const char* key : {"Title", "URL", "URLName", "AddFavorites"}) {
        Check(key, contents);
    }
    return 0;
}
