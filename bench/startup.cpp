// Start-up of the installer: time from process start to the wizard's first paint (offscreen
// platform, KERNOVA_EXIT_WHEN_SHOWN) for a ~10 MB package of 30 fonts with pictures, texts
// and the font preview, against the same installer carrying one tiny font, measured in the
// same run: the reference is Qt's own start-up plus the fixed work of every package.
// Target: the package adds at most 50 % to the reference. Prints the ratio of the medians
// and its spread (the lowest and highest ratio of one round's pair of runs).
//
//   bench_startup [ROUNDS] [INSTALLER]   (median of ROUNDS, default 15; INSTALLER defaults
//                                         to kernova-installer in this build)
// Everything lives under the build tree (bench-data/startup), never in /tmp or the home.

#include "archive/package_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench_support.h"
#include "report_row.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using bench::Clock;
using bench::Median;

constexpr int kFonts = 30;
constexpr double kTarget = 1.5;
constexpr const char* kShown = "wizard shown after";

struct Run {
    double shownSeconds = 0; // spawn to the first paint's report
    double exitSeconds = 0;  // spawn to exit (clean-up included)
    long peakKiB = 0;
};

std::string Descriptor() {
    return "<XML>\r\n<Title>Kernova Start-up Bench</Title>\r\n<URL>https://example.com</URL>\r\n"
           "<URLName>Example</URLName>\r\n<License>True</License>\r\n<Readme>True</Readme>\r\n"
           "<ShowFontPreview>True</ShowFontPreview>\r\n</XML>\r\n";
}

// Texts, pictures and the descriptor: the same in both packages.
std::vector<kernova::PackageInput> CommonEntries() {
    const fs::path samples = fs::path(KERNOVA_SOURCE_DIR) / "samples";
    std::vector<kernova::PackageInput> entries;
    entries.push_back({"license.txt", (samples / "license.txt").string(), {}, false});
    entries.push_back({"readme.txt", (samples / "readme.txt").string(), {}, false});
    entries.push_back({"LEFT.png", (samples / "side.png").string(), {}, false});
    entries.push_back({"TOP.png", (samples / "top.png").string(), {}, false});
    entries.push_back({"kernova.xml", {}, Descriptor(), true});
    return entries;
}

// 30 real-world fonts: the DejaVu family (about 10 MB), topped up with the small test fonts.
std::vector<kernova::PackageInput> ManyFonts() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator("/usr/share/fonts/truetype/dejavu")) {
        if (entry.path().extension() == ".ttf") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& entry : fs::directory_iterator(KERNOVA_FONT_DIR)) {
        if (entry.path().extension() == ".ttf") {
            files.push_back(entry.path());
        }
    }
    if (files.empty()) {
        throw std::runtime_error("no fonts to pack (fonts-dejavu-core installed?)");
    }
    std::vector<kernova::PackageInput> entries;
    for (int i = 0; i < kFonts; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "Font%02d.ttf", i);
        entries.push_back(
            {name, files[static_cast<std::size_t>(i) % files.size()].string(), {}, false});
    }
    return entries;
}

// Runs the installer until it reports the shown wizard and ends.
Run Start(const fs::path& installer, const std::vector<std::string>& env) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> envp;
    for (const std::string& variable : env) {
        envp.push_back(const_cast<char*>(variable.c_str()));
    }
    envp.push_back(nullptr);
    std::string program = installer.string();
    char* argv[] = {program.data(), nullptr};
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        throw std::runtime_error("cannot start " + program);
    }
    Run run;
    std::string err;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        err.append(buffer, static_cast<std::size_t>(got));
        if (run.shownSeconds == 0 && err.find(kShown) != std::string::npos) {
            run.shownSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    struct rusage usage = {};
    ::wait4(pid, &status, 0, &usage);
    run.exitSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || run.shownSeconds == 0) {
        throw std::runtime_error("the installer did not report the shown wizard:\n" + err);
    }
    return run;
}

} // namespace

int main(int argc, char** argv) {
    try {
        int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
        fs::path stub =
            argc > 2 ? fs::path(argv[2]) : fs::path(KERNOVA_BINARY_DIR) / "kernova-installer";
        fs::path data = fs::path(KERNOVA_BINARY_DIR) / "bench-data" / "startup";
        fs::remove_all(data);
        for (const char* folder : {"tmp", "home", "cache", "config", "run"}) {
            fs::create_directories(data / folder);
        }
        fs::permissions(data / "run", fs::perms::owner_all);

        std::vector<kernova::PackageInput> big = ManyFonts();
        std::vector<kernova::PackageInput> tiny = {
            {"KernovaSampleSans-Regular.ttf",
             (fs::path(KERNOVA_FONT_DIR) / "KernovaSampleSans-Regular.ttf").string(),
             {},
             false}};
        for (auto* entries : {&big, &tiny}) {
            auto common = CommonEntries();
            entries->insert(entries->end(), common.begin(), common.end());
        }
        const fs::path bigInstaller = data / "thirty-fonts.run";
        const fs::path tinyInstaller = data / "one-tiny-font.run";
        kernova::WritePackage(bench::Files(), stub.string(), big, bigInstaller.string());
        kernova::WritePackage(bench::Files(), stub.string(), tiny, tinyInstaller.string());
        const double stubMiB = static_cast<double>(fs::file_size(stub)) / (1 << 20);
        const double bigMiB =
            static_cast<double>(fs::file_size(bigInstaller)) / (1 << 20) - stubMiB;
        std::printf("stub %.1f MiB; package of %d fonts + pictures + texts: %.1f MiB; "
                    "reference package: %.2f MiB\n",
                    stubMiB, kFonts, bigMiB,
                    static_cast<double>(fs::file_size(tinyInstaller)) / (1 << 20) - stubMiB);

        // The user's world minus any display: Qt runs offscreen; nothing of the real home.
        std::vector<std::string> env;
        for (char** variable = environ; *variable != nullptr; ++variable) {
            std::string text = *variable;
            std::string name = text.substr(0, text.find('='));
            if (name != "DISPLAY" && name != "WAYLAND_DISPLAY" && name != "QT_QPA_PLATFORM" &&
                name != "TMPDIR" && name != "HOME" && name.rfind("XDG_", 0) != 0) {
                env.push_back(text);
            }
        }
        env.push_back("TMPDIR=" + (data / "tmp").string());
        env.push_back("HOME=" + (data / "home").string());
        env.push_back("XDG_CACHE_HOME=" + (data / "cache").string());
        env.push_back("XDG_CONFIG_HOME=" + (data / "config").string());
        env.push_back("XDG_RUNTIME_DIR=" + (data / "run").string());
        env.push_back("KERNOVA_EXIT_WHEN_SHOWN=1");

        // Warm the caches (binary, libraries, fontconfig) once with each.
        Start(tinyInstaller, env);
        Start(bigInstaller, env);
        std::vector<double> refShown, bigShown, refExit, bigExit, ratios;
        long refPeak = 0, bigPeak = 0;
        for (int round = 0; round < rounds; ++round) {
            Run ref = Start(tinyInstaller, env);
            Run run = Start(bigInstaller, env);
            refShown.push_back(ref.shownSeconds);
            bigShown.push_back(run.shownSeconds);
            ratios.push_back(run.shownSeconds / ref.shownSeconds);
            refExit.push_back(ref.exitSeconds);
            bigExit.push_back(run.exitSeconds);
            refPeak = std::max(refPeak, ref.peakKiB);
            bigPeak = std::max(bigPeak, run.peakKiB);
            if (!fs::is_empty(data / "tmp")) {
                throw std::runtime_error("the installer left files in the temporary folder");
            }
        }
        const double reference = Median(refShown);
        const double measured = Median(bigShown);
        const double ratio = measured / reference;
        std::printf("to the shown wizard (median of %d): one tiny font %.1f ms, %d fonts %.1f ms\n",
                    rounds, reference * 1000, kFonts, measured * 1000);
        std::printf("to exit, clean-up included:         one tiny font %.1f ms, %d fonts %.1f ms\n",
                    Median(refExit) * 1000, kFonts, Median(bigExit) * 1000);
        std::printf("peak resident memory: one tiny font %ld KiB, %d fonts %ld KiB\n", refPeak,
                    kFonts, bigPeak);
        const std::string spread = bench::RatioCell(ratio, ratios);
        std::printf("ratio %s (the package adds %.0f %%; target at most %.0f %%): %s\n",
                    spread.c_str(), (ratio - 1) * 100, (kTarget - 1) * 100,
                    ratio <= kTarget ? "met" : "MISSED");
        bench::ReportRow(
            "start-up to the first painted wizard, offscreen",
            bench::Format("%d fonts (%.1f MiB) vs 1 font", kFonts, bigMiB),
            bench::Format("%.0f ms", measured * 1000), bench::Format("%.0f ms", reference * 1000),
            spread, bench::Format("<= %.1fx: %s", kTarget, ratio <= kTarget ? "met" : "MISSED"));
        fs::remove_all(data);
        return ratio <= kTarget ? 0 : 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "bench_startup: %s\n", failure.what());
        return 2;
    }
}
