// Face names, registry lookups and registration of 1000 distinct fonts, each against
// fontconfig's own tools on the same fonts in the same run:
//   names:     GetFontName per font                    vs  fc-scan of the folder, per font
//   register:  RegisterFont x1000 + BroadcastFontChange  vs  cp + fc-cache into an empty folder
//              (the fonts are copied first, untimed in the ratio, as the installation run does)
//   lookups:   IsFontInstalled, 1000 fonts registered  (for scale: one fc-list of one name)
// Everything runs in an environment of its own under the build tree (HOME, XDG_*, TMPDIR,
// FONTCONFIG_FILE); the real user's fonts are never touched.
//
//   bench_fonts_bench [ROUNDS]      (best of ROUNDS, default 3)

#include "fonts/face_name.h"
#include "fonts/font_registry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

#include "bench_support.h"

namespace {

namespace fs = std::filesystem;
using bench::Clock;
using bench::Run;
using bench::Seconds;

constexpr int kFonts = 1000;

std::vector<std::string> Lines(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The 1000 fonts, made once and kept in the build tree.
std::vector<fs::path> BulkFonts(const fs::path& folder) {
    auto list = [&] {
        std::vector<fs::path> fonts;
        if (fs::is_directory(folder)) {
            for (const auto& entry : fs::directory_iterator(folder)) {
                if (entry.path().extension() == ".ttf") {
                    fonts.push_back(entry.path());
                }
            }
        }
        std::sort(fonts.begin(), fonts.end());
        return fonts;
    };
    std::vector<fs::path> fonts = list();
    if (fonts.size() != kFonts) {
        std::cout << "making " << kFonts << " fonts in " << folder << " (once)" << std::endl;
        fs::remove_all(folder);
        Run({KERNOVA_PYTHON, KERNOVA_SOURCE_DIR "/tools/testfonts/make_fonts.py", "--out",
             folder.string(), "--many", std::to_string(kFonts)});
        fonts = list();
    }
    return fonts;
}

// A fresh environment: an empty fonts folder, an empty cache folder and a configuration
// that lists only them. Set in this process, and so inherited by every child.
struct World {
    fs::path root;
    fs::path fonts() const { return root / "home/.local/share/fonts"; }
    fs::path cache() const { return root / "fc-cache"; }
};

World NewWorld(const fs::path& root) {
    World world{root};
    fs::remove_all(root);
    for (const char* sub :
         {"home/.local/share/fonts", "home/.config", "home/.cache", "tmp", "fc-cache"}) {
        fs::create_directories(root / sub);
    }
    std::ofstream(root / "fonts.conf")
        << "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" << world.fonts().string()
        << "</dir>\n  <cachedir>" << world.cache().string() << "</cachedir>\n</fontconfig>\n";
    setenv("HOME", (root / "home").c_str(), 1);
    setenv("XDG_DATA_HOME", (root / "home/.local/share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "home/.config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root / "home/.cache").c_str(), 1);
    setenv("TMPDIR", (root / "tmp").c_str(), 1);
    setenv("FONTCONFIG_FILE", (root / "fonts.conf").c_str(), 1);
    return world;
}

long PeakKilobytes(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
}

void Ratio(const char* what, double ours, double reference, double target) {
    const double ratio = ours / reference;
    std::printf("  %-34s %.2fx  (target <= %.1fx: %s)\n", what, ratio, target,
                ratio <= target ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const fs::path base = fs::path(KERNOVA_BINARY_DIR) / "bench-fonts";
    const std::vector<fs::path> fonts = BulkFonts(base / "many");
    if (fonts.size() != kFonts) {
        std::cerr << "could not make the fonts\n";
        return 1;
    }
    NewWorld(base / "names");

    // Names.
    double oursNames = 1e9;
    double scanNames = 1e9;
    std::set<std::string> ours;
    for (int round = 0; round < rounds; ++round) {
        ours.clear();
        auto start = Clock::now();
        for (const fs::path& font : fonts) {
            ours.insert(kernova::GetFontName(bench::Fonts(), font.string()));
        }
        oursNames = std::min(oursNames, Seconds(start));
        start = Clock::now();
        Run({"/usr/bin/fc-scan", "--format", "%{fullname}\n", (base / "many").string()},
            base / "names/fc-scan.txt");
        scanNames = std::min(scanNames, Seconds(start));
    }
    const std::vector<std::string> scanned = Lines(base / "names/fc-scan.txt");
    const bool sameNames = ours == std::set<std::string>(scanned.begin(), scanned.end());
    std::printf("face names of %d fonts (best of %d)\n", kFonts, rounds);
    std::printf("  GetFontName                        %8.1f us per font\n",
                oursNames * 1e6 / kFonts);
    std::printf("  fc-scan                            %8.1f us per font\n",
                scanNames * 1e6 / kFonts);
    std::printf("  names equal to fc-scan's           %s\n", sameNames ? "yes" : "NO");
    Ratio("GetFontName / fc-scan", oursNames, scanNames, 1.5);

    // Registration.
    double reference = 1e9;
    double referenceCp = 0;
    double oursTotal = 1e9;
    double oursCopy = 0;
    double oursRegister = 0;
    double oursChange = 0;
    for (int round = 0; round < rounds; ++round) {
        World cp = NewWorld(base / "cp-fc-cache");
        std::vector<std::string> cpArgs = {"/bin/cp", "-t", cp.fonts().string()};
        for (const fs::path& font : fonts) {
            cpArgs.push_back(font.string());
        }
        auto start = Clock::now();
        Run(cpArgs);
        const double cpTime = Seconds(start);
        Run({"/usr/bin/fc-cache"});
        if (Seconds(start) < reference) {
            reference = Seconds(start);
            referenceCp = cpTime;
        }

        World world = NewWorld(base / "registry");
        start = Clock::now();
        for (const fs::path& font : fonts) {
            fs::copy_file(font, world.fonts() / font.filename());
        }
        const double copy = Seconds(start);
        auto registerStart = Clock::now();
        for (const fs::path& font : fonts) {
            // The full path: a bare name means the fonts folder of the user running this,
            // which for root is the system's.
            kernova::RegisterFont(bench::Fonts(), "",
                                  kernova::GetFontName(bench::Fonts(), font.string()),
                                  (world.fonts() / font.filename()).string());
        }
        const double registering = Seconds(registerStart);
        auto changeStart = Clock::now();
        kernova::BroadcastFontChange(bench::Fonts());
        const double change = Seconds(changeStart);
        if (Seconds(start) < oursTotal) {
            oursTotal = Seconds(start);
            oursCopy = copy;
            oursRegister = registering;
            oursChange = change;
        }
    }
    std::printf("installing %d fonts into an empty folder (best of %d)\n", kFonts, rounds);
    std::printf("  cp + fc-cache                      %8.1f ms (cp %.1f ms)\n", reference * 1e3,
                referenceCp * 1e3);
    std::printf("  copy + register + font change      %8.1f ms (copy %.1f, register %.1f, "
                "font change %.1f ms)\n",
                oursTotal * 1e3, oursCopy * 1e3, oursRegister * 1e3, oursChange * 1e3);
    Ratio("register + change / (cp + fc-cache)", oursRegister + oursChange, reference, 1.5);
    std::printf("  %-34s %.2fx  (no target: fontconfig's scan is most of both)\n",
                "register + change / fc-cache alone",
                (oursRegister + oursChange) / (reference - referenceCp));
    std::printf("  %-34s %.2fx  (the copy is the installation run's, timed for scale)\n",
                "copy + register + change / same", oursTotal / reference);

    // The last round's registry holds all 1000: check it as a new process sees it, then
    // time lookups against it.
    Run({"/usr/bin/fc-list", "--format", "%{fullname}\n"}, base / "fc-list.txt");
    std::printf("  new fc-list process lists           %zu fonts\n",
                Lines(base / "fc-list.txt").size());

    int found = 0;
    auto start = Clock::now();
    for (const fs::path& font : fonts) {
        found += kernova::IsFontInstalled(bench::Fonts(), font.string()) ? 1 : 0;
    }
    const double lookups = Seconds(start);
    start = Clock::now();
    Run({"/usr/bin/fc-list", "fullname=Kernova Bulk 0500"}, base / "fc-list-one.txt");
    const double oneList = Seconds(start);
    std::printf("IsFontInstalled with %d fonts registered\n", kFonts);
    std::printf("  per lookup                         %8.1f us (%d of %d found)\n",
                lookups * 1e6 / kFonts, found, kFonts);
    std::printf("  one fc-list of one name            %8.1f us\n", oneList * 1e6);

    std::printf("peak memory: this process %ld KB, largest child %ld KB\n",
                PeakKilobytes(RUSAGE_SELF), PeakKilobytes(RUSAGE_CHILDREN));
    return sameNames && found == kFonts ? 0 : 1;
}
