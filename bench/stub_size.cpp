// The size of the stub every installer carries, the kernova-installer beside kernova-pack
// that it appends by default, against the target of 1 MiB; and whether it is stripped, since
// a symbol table left in it is dead weight in every package.
//
//   bench_stub_size [STUB]   (default: kernova-installer in this build)

#include <cstdio>
#include <elf.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "report_row.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kTarget = 1 << 20;

// Whether a 64-bit ELF file still has a section of symbols for debuggers (stripping
// removes it; the dynamic symbols the loader needs stay either way).
bool HasSymbolTable(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    Elf64_Ehdr header{};
    if (!in.read(reinterpret_cast<char*>(&header), sizeof header) ||
        std::string(reinterpret_cast<const char*>(header.e_ident), SELFMAG) != ELFMAG ||
        header.e_ident[EI_CLASS] != ELFCLASS64) {
        throw std::runtime_error(file.string() + " is not a 64-bit ELF file");
    }
    for (int i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr section{};
        in.seekg(static_cast<std::streamoff>(header.e_shoff + i * sizeof section));
        if (!in.read(reinterpret_cast<char*>(&section), sizeof section)) {
            throw std::runtime_error("cannot read the sections of " + file.string());
        }
        if (section.sh_type == SHT_SYMTAB) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const fs::path stub =
            argc > 1 ? fs::path(argv[1]) : fs::path(KERNOVA_BINARY_DIR) / "kernova-installer";
        const std::uintmax_t size = fs::file_size(stub);
        const bool stripped = !HasSymbolTable(stub);
        const bool met = size < kTarget;
        std::printf("stub %s: %ju bytes (%.1f KiB), %s (target < 1 MiB: %s)\n", stub.c_str(), size,
                    static_cast<double>(size) / 1024, stripped ? "stripped" : "NOT stripped",
                    met ? "met" : "MISSED");
        bench::ReportRow(stripped ? "installer stub, stripped" : "installer stub, NOT stripped",
                         "what kernova-pack appends",
                         bench::Format("%.0f KiB", static_cast<double>(size) / 1024), "-", "-",
                         bench::Format("< 1024 KiB: %s", met ? "met" : "MISSED"));
        return met ? 0 : 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "bench_stub_size: %s\n", failure.what());
        return 2;
    }
}
