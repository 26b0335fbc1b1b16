// `/E` through the real installer on a ~300 MB package (3000 font-sized entries of 40 KiB,
// one of 150 MiB and a descriptor) against one `cp -R` of the same files into a folder
// beside the installer: the same file system, the same run. Both run as children in a world
// of their own (bench/installer_world.h: uid 65534 when root, no display), timed from spawn
// to exit with warm caches, dirty pages flushed and their outputs removed between them,
// untimed; which goes first alternates from round to round. Measured with TMPDIR on the
// installer's file system and, where /dev/shm is there, on tmpfs. Prints for each the
// medians, their spread (min-max), the ratio and the installer's peak memory.
// Everything lives under the build tree (bench-data/extract) or in /dev/shm, never /tmp.
//
//   bench_extract_bench [ROUNDS]   (median of ROUNDS, default 5)

#include "archive/package_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_support.h"
#include "installer_world.h"
#include "report_row.h"

namespace {

namespace fs = std::filesystem;
using bench::Median;

constexpr int kSmallEntries = 3000;
constexpr std::size_t kSmallSize = 40 << 10;
constexpr std::size_t kLargeSize = std::size_t{150} << 20;
constexpr double kTimeTarget = 1.3;
constexpr long kMemoryTargetMiB = 64;
constexpr const char* kInstallerName = "Bench.run";

// Writes `size` bytes of a pattern that differs per file, in bounded pieces.
void MakeFile(const fs::path& path, std::size_t size, unsigned seed) {
    if (fs::exists(path) && fs::file_size(path) == size) {
        return;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string piece(std::min<std::size_t>(size, 1 << 20), '\0');
    std::uint32_t state = 2463534242u ^ (seed * 0x9E3779B9u);
    for (std::size_t done = 0; done < size; done += piece.size()) {
        for (char& byte : piece) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            byte = static_cast<char>(state);
        }
        out.write(piece.data(), static_cast<std::streamsize>(std::min(piece.size(), size - done)));
    }
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

// The entries' files (made once) and the installer: the real stub with them appended,
// made again whenever the stub is newer.
fs::path MakeInstaller(const fs::path& data, const fs::path& sources, const fs::path& stub) {
    fs::create_directories(sources);
    std::vector<kernova::PackageInput> inputs;
    for (int i = 0; i < kSmallEntries; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Bench%04d.ttf", i);
        MakeFile(sources / name, kSmallSize, static_cast<unsigned>(i));
        inputs.push_back({name, (sources / name).string(), {}, false, false});
    }
    MakeFile(sources / "Large.ttf", kLargeSize, 99999);
    inputs.push_back({"Large.ttf", (sources / "Large.ttf").string(), {}, false, false});
    std::ofstream(sources / "kernova.xml") << "<XML>\r\n<Title>Bench</Title>\r\n</XML>\r\n";
    inputs.push_back({"kernova.xml", (sources / "kernova.xml").string(), {}, false, false});
    const fs::path installer = data / kInstallerName;
    if (!fs::exists(installer) || fs::last_write_time(installer) < fs::last_write_time(stub)) {
        fs::remove(installer);
        kernova::WritePackage(bench::Files(), stub.string(), inputs, installer.string());
    }
    return installer;
}

// A folder of its own in shared memory (tmpfs), removed with the object; none without one.
struct SharedMemoryFolder {
    std::string path = "/dev/shm/kernova-bench-XXXXXX";
    bool made = ::mkdtemp(path.data()) != nullptr;
    SharedMemoryFolder() {
        if (made && bench::RunningAsRoot()) {
            (void)::chown(path.c_str(), bench::kNobody, bench::kNobody);
        }
    }
    ~SharedMemoryFolder() {
        std::error_code ec;
        fs::remove_all(made ? path : "", ec);
    }
};

struct Figures {
    std::vector<double> cp, installer, ratio;
    long peakKiB = 0;
};

std::string Spread(const std::vector<double>& values, const char* format) {
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    char text[64];
    std::snprintf(text, sizeof text, format, *low, *high);
    return text;
}

// Rounds of cp and /E side by side in one world; /E extracts via `temp` (the world's own
// TMPDIR when empty).
Figures Measure(const fs::path& where, const fs::path& installer, const fs::path& sources,
                const std::string& temp, int rounds) {
    const bench::World world(where);
    const fs::path out = world.root / "out";
    const fs::path copy = world.root / "copy";
    fs::create_directories(out);
    fs::create_hard_link(installer, out / kInstallerName); // no second 300 MB
    bench::GiveAway(out);
    std::map<std::string, std::string> env = world.Environment();
    if (!temp.empty()) {
        env["TMPDIR"] = temp;
    }
    const fs::path tmp = env["TMPDIR"];

    // Each starts from the same state: nothing of the other's left, everything on disk.
    const auto clear = [&] {
        for (const auto& file : fs::directory_iterator(out)) {
            if (file.path().filename() != kInstallerName) {
                fs::remove(file.path());
            }
        }
        fs::remove_all(copy);
        ::sync();
    };
    const auto runCp = [&] {
        clear();
        const bench::ChildRun cp =
            bench::RunChild({"/bin/cp", "-R", sources.string(), copy.string()}, env);
        if (cp.status != 0) {
            throw std::runtime_error("cp failed: " + cp.err);
        }
        return cp;
    };
    const auto runInstaller = [&] {
        clear();
        const bench::ChildRun run =
            bench::RunChild({(out / kInstallerName).string(), "/E"}, env, world.root);
        if (run.status != 0) {
            throw std::runtime_error("the installer failed with status " +
                                     std::to_string(run.status) + ": " + run.err);
        }
        for (const auto& source : fs::directory_iterator(sources)) {
            const fs::path written = out / source.path().filename();
            if (!fs::exists(written) || fs::file_size(written) != source.file_size()) {
                throw std::runtime_error("/E did not write " + written.string());
            }
        }
        if (!fs::is_empty(tmp)) {
            throw std::runtime_error("/E left files in " + tmp.string());
        }
        return run;
    };

    Figures figures;
    for (int round = -1; round < rounds; ++round) { // round -1 warms the caches
        bench::ChildRun cp, installed;
        if (round % 2 == 0) {
            cp = runCp();
            installed = runInstaller();
        } else {
            installed = runInstaller();
            cp = runCp();
        }
        if (round >= 0) {
            figures.cp.push_back(cp.seconds);
            figures.installer.push_back(installed.seconds);
            figures.ratio.push_back(installed.seconds / cp.seconds);
            figures.peakKiB = std::max(figures.peakKiB, installed.peakKiB);
            std::printf("  round %d: cp %.3f s, /E %.3f s, /E peak %.1f MiB\n", round + 1,
                        cp.seconds, installed.seconds,
                        static_cast<double>(installed.peakKiB) / 1024);
            std::fflush(stdout);
        }
    }
    fs::remove_all(world.root);
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
        const fs::path binary = KERNOVA_BINARY_DIR;
        const fs::path data = binary / "bench-data" / "extract";
        const fs::path sources = data / "fonts";
        fs::create_directories(data);
        std::cout << "preparing " << kSmallEntries << " x " << (kSmallSize >> 10) << " KiB + "
                  << (kLargeSize >> 20) << " MiB in " << data << "\n";
        const fs::path installer = MakeInstaller(data, sources, binary / "kernova-installer");
        std::printf("installer with its package: %.0f MiB\n",
                    static_cast<double>(fs::file_size(installer)) / (1 << 20));

        SharedMemoryFolder shm;
        const std::pair<const char*, std::optional<std::string>> temps[] = {
            {"TMPDIR on the same file system", ""},
            {"TMPDIR on tmpfs (/dev/shm)", shm.made ? std::optional(shm.path) : std::nullopt}};
        bool met = true;
        std::vector<std::string> table;
        for (const auto& [label, temp] : temps) {
            if (!temp) {
                continue;
            }
            std::printf("%s\n", label);
            const Figures f = Measure(data / "world", installer, sources, *temp, rounds);
            const double ratio = Median(f.installer) / Median(f.cp);
            const double peakMiB = static_cast<double>(f.peakKiB) / 1024.0;
            met = met && ratio <= kTimeTarget && peakMiB < kMemoryTargetMiB;
            char line[256];
            std::snprintf(line, sizeof line,
                          "%-31s cp %.3f s (%s)  /E %.3f s (%s)  ratio %.2fx (%s)  peak %.1f MiB",
                          label, Median(f.cp), Spread(f.cp, "%.3f-%.3f").c_str(),
                          Median(f.installer), Spread(f.installer, "%.3f-%.3f").c_str(), ratio,
                          Spread(f.ratio, "%.2f-%.2f").c_str(), peakMiB);
            table.push_back(line);
            const std::string size = bench::Format(
                "%.0f MiB package", static_cast<double>(fs::file_size(installer)) / (1 << 20));
            const std::string where = std::string(label).substr(std::string("TMPDIR ").size());
            bench::ReportRow("/E beside the installer vs one cp (TMPDIR " + where + ")", size,
                             bench::Format("%.2f s", Median(f.installer)),
                             bench::Format("%.2f s", Median(f.cp)),
                             bench::RatioCell(ratio, f.ratio),
                             ratio <= kTimeTarget ? "<= 1.3x: met" : "<= 1.3x: MISSED");
            bench::ReportRow("/E peak memory (TMPDIR " + where + ")", size,
                             bench::Format("%.1f MiB", peakMiB), "-", "-",
                             peakMiB < kMemoryTargetMiB ? "< 64 MiB: met" : "< 64 MiB: MISSED");
        }
        std::printf("median of %d rounds (min-max):\n", rounds);
        for (const std::string& line : table) {
            std::printf("%s\n", line.c_str());
        }
        std::printf("targets: ratio <= %.1fx, peak memory < %ld MiB: %s\n", kTimeTarget,
                    kMemoryTargetMiB, met ? "met" : "MISSED");
        return 0;
    } catch (const std::exception& failure) {
        std::cerr << "bench_extract_bench: " << failure.what() << "\n";
        return 2;
    }
}
