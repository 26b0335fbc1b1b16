// Silent installation of many fonts through the real installer, against the physical
// reference measured in the same run: `cp` of the same font files into an empty fonts
// folder followed by `fc-cache` (without -f) on it. Prints the ratio, where the
// installer's time goes, peak memory, and what flushing each font to disk costs.
//
//   bench_install [--fonts N] [--rounds R]
//
// Works in <build>/bench-install. Run as root, the installer and the reference run as
// uid 65534 in a world owned by it, so nothing is ever written to the system's fonts.
#include "archive/archive_directory.h"
#include "archive/extraction.h"
#include "fonts/font_copy.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench_support.h"

namespace {

namespace fs = std::filesystem;
using bench::Clock;
using bench::Median;

constexpr uid_t kNobody = 65534;

struct Child {
    double seconds = 0;
    int status = -1;
    long peakKb = 0;
    std::string err;
};

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

enum class As { TestUser, Self };

// Runs a program to its end with `env` on top of this environment (no display), as the
// unprivileged user when we are root (unless `as` says otherwise); standard error is kept.
Child Run(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
          const fs::path& cwd = {}, As as = As::TestUser) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    Child child;
    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        ::dup2(pipeFds[1], STDERR_FILENO);
        int devnull = ::open("/dev/null", O_RDWR);
        ::dup2(devnull, STDIN_FILENO);
        ::dup2(devnull, STDOUT_FILENO);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            ::unsetenv(name);
        }
        for (const auto& [name, value] : env) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) {
            ::_exit(126);
        }
        if (as == As::TestUser && RunningAsRoot() &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(125);
        }
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0) {
            child.err.append(buffer, static_cast<size_t>(n));
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    child.seconds = Since(start);
    child.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    child.peakKb = usage.ru_maxrss;
    return child;
}

void Require(const Child& child, const std::string& what) {
    if (child.status != 0) {
        throw std::runtime_error(what + " failed with status " + std::to_string(child.status) +
                                 ": " + child.err);
    }
}

// Hands a folder tree to the unprivileged user when we are root.
void GiveAway(const fs::path& root) {
    if (!RunningAsRoot()) {
        return;
    }
    ::lchown(root.c_str(), kNobody, kNobody);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        ::lchown(entry.path().c_str(), kNobody, kNobody);
    }
}

// A private world: HOME with an empty fonts folder, TMPDIR, XDG folders and a fontconfig
// configuration that knows only that fonts folder.
struct World {
    fs::path root;
    fs::path fonts() const { return root / "home/.local/share/fonts"; }
    fs::path tmp() const { return root / "tmp"; }

    explicit World(fs::path where) : root(std::move(where)) {
        fs::remove_all(root);
        for (const fs::path& dir : {fonts(), tmp(), root / "fc-cache", root / "home/.cache",
                                    root / "home/.config", root / "run"}) {
            fs::create_directories(dir);
        }
        fs::permissions(root / "run", fs::perms::owner_all);
        std::ofstream conf(root / "fonts.conf");
        conf << "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" << fonts().string()
             << "</dir>\n  <cachedir>" << (root / "fc-cache").string()
             << "</cachedir>\n</fontconfig>\n";
        conf.close();
        GiveAway(root);
    }

    std::map<std::string, std::string> Environment() const {
        return {{"HOME", (root / "home").string()},
                {"TMPDIR", tmp().string()},
                {"XDG_DATA_HOME", (root / "home/.local/share").string()},
                {"XDG_CACHE_HOME", (root / "home/.cache").string()},
                {"XDG_CONFIG_HOME", (root / "home/.config").string()},
                {"XDG_RUNTIME_DIR", (root / "run").string()},
                {"FONTCONFIG_FILE", (root / "fonts.conf").string()}};
    }
};

std::vector<fs::path> FontFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".ttf") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

size_t CountFiles(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

long MaxOf(const std::vector<long>& values) {
    return *std::max_element(values.begin(), values.end());
}

struct Round {
    double cp = 0, fcCache = 0, installer = 0, extraction = 0;
    long cpKb = 0, fcCacheKb = 0, installerKb = 0;
    std::map<std::string, double> parts; // the installer's own timings
};

std::map<std::string, double> ParseTimings(const std::string& err) {
    std::map<std::string, double> parts;
    std::istringstream lines(err);
    std::string tag, name;
    double value;
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        if (fields >> tag >> name >> value && tag == "kernova-timing") {
            parts[name] = value;
        }
    }
    return parts;
}

// The installer's extraction on its own: the same package read and written in-process.
double MeasureExtraction(const fs::path& installer, const fs::path& where) {
    fs::create_directories(where);
    const Clock::time_point start = Clock::now();
    {
        kernova::ExtractionFolder folder(bench::Files(), where.string());
        kernova::ArchiveDirectory directory =
            kernova::ReadArchiveDirectory(bench::Files(), installer.string());
        kernova::ExtractAll(bench::Files(), installer.string(), directory, folder.path(), nullptr);
    }
    double seconds = Since(start);
    fs::remove_all(where);
    return seconds;
}

// What flushing every font to disk before it gets its name costs. The fonts start as the
// installer finds them, freshly extracted and not yet on disk, and go into an empty
// folder: named at once without any flush (as cp leaves them), or delivered as the run
// delivers them, flushed in groups or one by one; both for extracted files that become
// the fonts themselves (same file system) and for copies (another file system).
void MeasureFlushing(const std::vector<fs::path>& fonts, const fs::path& where) {
    const fs::path extracted = where / "extracted";
    const fs::path target = where / "fonts";
    // Fresh, unflushed extracted files and an empty target, after everything else is on disk.
    auto prepare = [&] {
        fs::remove_all(where);
        fs::create_directories(target);
        ::sync();
        fs::create_directories(extracted);
        for (const fs::path& font : fonts) {
            fs::copy_file(font, extracted / font.filename());
        }
    };
    auto unflushed = [&](bool link) {
        prepare();
        Clock::time_point begin = Clock::now();
        for (const fs::path& font : fonts) {
            const fs::path from = extracted / font.filename();
            if (link) {
                fs::create_hard_link(from, target / font.filename());
            } else {
                fs::copy_file(from, target / font.filename());
            }
        }
        return Since(begin);
    };
    auto delivered = [&](bool own, size_t groupSize) {
        prepare();
        Clock::time_point begin = Clock::now();
        kernova::FontDelivery delivery(bench::Files(), target.string() + "/", groupSize);
        for (const fs::path& font : fonts) {
            const std::string from = (extracted / font.filename()).string();
            if (own) {
                delivery.AddOwnFile(from, font.filename().string());
            } else {
                delivery.Add(from, font.filename().string());
            }
        }
        delivery.Finish();
        return Since(begin);
    };
    const size_t group = kernova::FontDelivery::kGroupSize;
    const double linked = unflushed(true);
    const double adoptedGrouped = delivered(true, group);
    const double adoptedEach = delivered(true, 1);
    const double copied = unflushed(false);
    const double copiedGrouped = delivered(false, group);
    const double copiedEach = delivered(false, 1);
    std::printf("flushing to disk: %zu freshly extracted fonts into an empty folder\n",
                fonts.size());
    std::printf("                                   no flush  groups of %zu  one by one\n", group);
    std::printf("  extracted file becomes the font  %7.3f s  %9.3f s  %8.3f s\n", linked,
                adoptedGrouped, adoptedEach);
    std::printf("  copied (another file system)     %7.3f s  %9.3f s  %8.3f s\n", copied,
                copiedGrouped, copiedEach);
    fs::remove_all(where);
}

} // namespace

int main(int argc, char** argv) {
    int fontCount = 1000;
    int rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--fonts") == 0) {
            fontCount = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--rounds") == 0) {
            rounds = std::atoi(argv[i + 1]);
        }
    }
    if (fontCount <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_install [--fonts N] [--rounds R]\n");
        return 2;
    }
    try {
        const fs::path binary = KERNOVA_BINARY_DIR;
        const fs::path base = binary / "bench-install";
        const fs::path fontDir = base / ("fonts-" + std::to_string(fontCount));
        fs::create_directories(base);
        if (!fs::exists(fontDir) || FontFiles(fontDir).size() != static_cast<size_t>(fontCount)) {
            fs::remove_all(fontDir);
            std::printf("making %d fonts in %s ...\n", fontCount, fontDir.c_str());
            std::fflush(stdout);
            Child made = Run({KERNOVA_PYTHON, KERNOVA_SOURCE_DIR "/tools/testfonts/make_fonts.py",
                              "--out", fontDir.string(), "--many", std::to_string(fontCount)},
                             {}, {}, As::Self);
            Require(made, "make_fonts.py");
        }
        const std::vector<fs::path> fonts = FontFiles(fontDir);
        std::uintmax_t bytes = 0;
        for (const fs::path& font : fonts) {
            bytes += fs::file_size(font);
        }

        const fs::path installer = base / "bulk.run";
        std::vector<std::string> pack = {(binary / "kernova-pack").string(), "-o",
                                         installer.string(), "--title", "Kernova Bulk"};
        for (const fs::path& font : fonts) {
            pack.push_back(font.string());
        }
        Require(Run(pack, {}, {}, As::Self), "kernova-pack");
        fs::permissions(installer, fs::perms(0755));

        std::vector<Round> results;
        for (int round = 0; round < rounds; ++round) {
            Round r;
            // The reference: the same bytes copied, then the folder's cache written.
            World ref(base / "reference");
            std::vector<std::string> cp = {"/bin/cp", "--"};
            for (const fs::path& font : fonts) {
                cp.push_back(font.string());
            }
            cp.push_back(ref.fonts().string() + "/");
            Child copied = Run(cp, ref.Environment());
            Require(copied, "cp");
            Child cached = Run({"/usr/bin/fc-cache", ref.fonts().string()}, ref.Environment());
            Require(cached, "fc-cache");
            r.cp = copied.seconds;
            r.fcCache = cached.seconds;
            r.cpKb = copied.peakKb;
            r.fcCacheKb = cached.peakKb;

            World world(base / "installer");
            std::map<std::string, std::string> env = world.Environment();
            env["KERNOVA_TIMINGS"] = "1";
            Child installed = Run({installer.string(), "/I"}, env, world.root);
            Require(installed, "the installer");
            if (CountFiles(world.fonts()) != fonts.size() || CountFiles(world.tmp()) != 0) {
                throw std::runtime_error(
                    "the installer left " + std::to_string(CountFiles(world.fonts())) +
                    " fonts and " + std::to_string(CountFiles(world.tmp())) + " files in TMPDIR");
            }
            r.installer = installed.seconds;
            r.installerKb = installed.peakKb;
            r.parts = ParseTimings(installed.err);
            r.extraction = MeasureExtraction(installer, base / "extraction");
            results.push_back(r);
        }

        auto median = [&](auto field) {
            std::vector<double> values;
            for (const Round& r : results) {
                values.push_back(field(r));
            }
            return Median(values);
        };
        auto peak = [&](auto field) {
            std::vector<long> values;
            for (const Round& r : results) {
                values.push_back(field(r));
            }
            return MaxOf(values) / 1024.0;
        };
        const double reference = median([](const Round& r) { return r.cp + r.fcCache; });
        const double total = median([](const Round& r) { return r.installer; });
        auto part = [&](const char* name) {
            return median([&](const Round& r) {
                auto it = r.parts.find(name);
                return it == r.parts.end() ? 0.0 : it->second;
            });
        };
        const double extraction = median([](const Round& r) { return r.extraction; });
        const char* parts[] = {"names", "copies", "registration", "font-change"};
        double accounted = extraction;
        for (const char* name : parts) {
            accounted += part(name);
        }

        std::printf("silent install of %zu fonts (%.1f MB), median of %d rounds\n", fonts.size(),
                    static_cast<double>(bytes) / 1e6, rounds);
        std::printf("reference: cp %.3f s + fc-cache %.3f s = %.3f s\n",
                    median([](const Round& r) { return r.cp; }),
                    median([](const Round& r) { return r.fcCache; }), reference);
        std::printf("installer: kernova-installer /I %.3f s\n", total);
        std::printf("ratio: %.2f (target: at most 1.5)\n", total / reference);
        std::printf("peak memory: installer %.1f MB; cp %.1f MB, fc-cache %.1f MB\n",
                    peak([](const Round& r) { return r.installerKb; }),
                    peak([](const Round& r) { return r.cpKb; }),
                    peak([](const Round& r) { return r.fcCacheKb; }));
        std::printf("where the installer's time goes:\n");
        std::printf("  extraction (same package, in-process)  %7.3f s\n", extraction);
        std::printf("  names (face name, already installed?)  %7.3f s\n", part("names"));
        std::printf("  fonts into place (flushed, named)      %7.3f s\n", part("copies"));
        std::printf("  registration                           %7.3f s\n", part("registration"));
        std::printf("  font change (fontconfig rebuilt)       %7.3f s\n", part("font-change"));
        std::printf("  the rest (start-up, event pumping, clean-up) %7.3f s\n",
                    std::max(0.0, total - accounted));
        MeasureFlushing(fonts, base / "flushing");
        fs::remove_all(base / "reference");
        fs::remove_all(base / "installer");
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "bench_install: %s\n", failure.what());
        return 1;
    }
    return 0;
}
