// Extraction of a ~300 MB package (3000 font-sized entries of 40 KiB plus one of 150 MiB)
// against `cp -R` of the same files, in the same run, on the same file system:
//   extract: a child process runs the directory pass and ExtractAll into a private folder
//   cp:      a child process copies the source folder
// Both are timed from spawn to exit with warm caches, dirty pages flushed between rounds,
// and their outputs removed outside the timing. The extraction child reports its own peak
// resident memory (getrusage ru_maxrss, and the kernel's VmHWM of its own image).
// Everything lives under the build tree (bench-data/extract), never in /tmp.
//
//   bench_extract_bench [ROUNDS]         (median of ROUNDS, default 5)
//   bench_extract_bench --extract PACKAGE FOLDER    (the measured child)

#include "archive/archive_directory.h"
#include "archive/extraction.h"
#include "archive/package_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench_support.h"

namespace {

namespace fs = std::filesystem;
using bench::Clock;
using bench::Median;
using bench::Seconds;

constexpr int kSmallEntries = 3000;
constexpr std::size_t kSmallSize = 40 << 10;
constexpr std::size_t kLargeSize = std::size_t{150} << 20;
constexpr double kTimeTarget = 1.5;
constexpr long kMemoryTargetKiB = 32 << 10;

struct Child {
    double seconds = 0;
    std::string output;
};

// Runs a program to its end, its standard output captured in a file; throws on failure.
Child Run(const std::vector<std::string>& argv, const fs::path& outFile) {
    Child child;
    child.seconds = bench::Run(argv, outFile);
    std::ifstream in(outFile);
    child.output.assign(std::istreambuf_iterator<char>(in), {});
    return child;
}

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

fs::path MakePackage(const fs::path& data, const fs::path& sources) {
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
    MakeFile(data / "stub", 1 << 20, 7);
    const fs::path package = data / "installer";
    if (!fs::exists(package)) {
        kernova::WritePackage(bench::Files(), (data / "stub").string(), inputs, package.string());
    }
    return package;
}

long PeakOfOwnImageKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

// The measured child: extract, report, and leave the folder for the parent to check.
int ExtractChild(const std::string& package, const std::string& parent) {
    const kernova::ArchiveDirectory directory =
        kernova::ReadArchiveDirectory(bench::Files(), package);
    kernova::ExtractionFolder folder(bench::Files(), parent);
    kernova::ExtractAll(bench::Files(), package, directory, folder.path(), {});
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%s\n%ld\n%ld\n", folder.path().c_str(), usage.ru_maxrss, PeakOfOwnImageKiB());
    std::fflush(stdout);
    std::_Exit(0); // skips the folder's removal: the parent checks it, then removes it untimed
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 4 && std::string(argv[1]) == "--extract") {
            return ExtractChild(argv[2], argv[3]);
        }
        const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
        const fs::path data = fs::path(KERNOVA_BINARY_DIR) / "bench-data" / "extract";
        const fs::path sources = data / "fonts";
        const fs::path work = data / "work";
        fs::create_directories(data);
        std::cout << "preparing " << kSmallEntries << " x " << (kSmallSize >> 10) << " KiB + "
                  << (kLargeSize >> 20) << " MiB in " << data << "\n";
        const fs::path package = MakePackage(data, sources);
        const fs::path self = fs::read_symlink("/proc/self/exe");
        std::cout << "package: " << fs::file_size(package) / (1 << 20) << " MiB\n";

        std::vector<double> copyTimes, extractTimes;
        long peakRss = 0, peakImage = 0;
        for (int round = -1; round < rounds; ++round) { // round -1 warms the caches
            fs::remove_all(work);
            fs::create_directories(work);
            ::sync();
            Child copy =
                Run({"cp", "-R", sources.string(), (work / "copy").string()}, data / "cp.out");
            ::sync();
            Child extract =
                Run({self.string(), "--extract", package.string(), work.string()}, data / "x.out");
            std::istringstream report(extract.output);
            std::string folder;
            long rss = 0, image = 0;
            report >> folder >> rss >> image;
            if (!fs::exists(fs::path(folder) / "Large.ttf") ||
                fs::file_size(fs::path(folder) / "Large.ttf") != kLargeSize ||
                fs::file_size(fs::path(folder) / "Bench2999.ttf") != kSmallSize) {
                throw std::runtime_error("the extraction is incomplete");
            }
            if (round >= 0) {
                copyTimes.push_back(copy.seconds);
                extractTimes.push_back(extract.seconds);
                peakRss = std::max(peakRss, rss);
                peakImage = std::max(peakImage, image);
                std::printf("round %d: cp %.3f s, extract %.3f s\n", round + 1, copy.seconds,
                            extract.seconds);
            }
        }
        fs::remove_all(work);
        const double cp = Median(copyTimes);
        const double extract = Median(extractTimes);
        std::printf("median of %d: cp %.3f s, extract %.3f s, ratio %.2fx (target <= %.1fx)\n",
                    rounds, cp, extract, extract / cp, kTimeTarget);
        std::printf("extraction peak memory: %.1f MiB (ru_maxrss), %.1f MiB (VmHWM of its own "
                    "image) (target < %ld MiB)\n",
                    peakRss / 1024.0, peakImage / 1024.0, kMemoryTargetKiB >> 10);
        const bool met = extract / cp <= kTimeTarget && peakRss < kMemoryTargetKiB;
        std::printf("%s\n", met ? "targets met" : "TARGETS MISSED");
        return met ? 0 : 1;
    } catch (const std::exception& failure) {
        std::cerr << "bench_extract_bench: " << failure.what() << "\n";
        return 2;
    }
}
