// Silent installation of many fonts through the real installer, against the physical
// reference measured in the same run: `cp` of the same font files into an empty fonts
// folder followed by `fc-cache` (without -f) on it. For each number of fonts: the ratio
// and its spread over the rounds, where the installer's time goes and peak memory; then
// whether the ratio grows with the number of fonts, optionally a very large package, and
// what flushing each font to disk costs.
//
//   bench_install [--fonts N,N,...] [--rounds R] [--huge] [--huge-fonts N] [--huge-rounds R]
//                 [--flushing N]
//
// Defaults: 100, 1000 and 3000 fonts, 5 rounds each; --huge adds 30 000 fonts, 3 rounds;
// the flushing measurement uses 1000 fonts (0 leaves it out). Works in <build>/bench-install,
// where the generated fonts are kept between runs. Run as root, the installer and the
// reference run as uid 65534 in a world owned by it, so nothing is ever written to the
// system's fonts.
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
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench_support.h"
#include "installer_world.h"
#include "report_row.h"

namespace {

namespace fs = std::filesystem;
using bench::Clock;
using bench::Median;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

using Child = bench::ChildRun;
using bench::As;
using bench::World;

Child Run(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
          const fs::path& cwd = {}, As as = As::TestUser) {
    return bench::RunChild(argv, env, cwd, as);
}

void Require(const Child& child, const std::string& what) {
    if (child.status != 0) {
        throw std::runtime_error(what + " failed with status " + std::to_string(child.status) +
                                 ": " + child.err);
    }
}

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

struct Round {
    double cp = 0, fcCache = 0, installer = 0, extraction = 0;
    long cpKb = 0, fcCacheKb = 0, installerKb = 0;
    std::map<std::string, double> parts; // the installer's own timings
    double reference() const { return cp + fcCache; }
    double ratio() const { return installer / reference(); }
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

// `count` distinct fonts, made once and kept under `base` for later runs.
std::vector<fs::path> BulkFonts(const fs::path& base, int count) {
    const fs::path folder = base / ("fonts-" + std::to_string(count));
    if (!fs::exists(folder) || FontFiles(folder).size() != static_cast<size_t>(count)) {
        fs::remove_all(folder);
        std::printf("making %d fonts in %s ...\n", count, folder.c_str());
        std::fflush(stdout);
        Require(Run({KERNOVA_PYTHON, KERNOVA_SOURCE_DIR "/tools/testfonts/make_fonts.py", "--out",
                     folder.string(), "--many", std::to_string(count)},
                    {}, {}, As::Self),
                "make_fonts.py");
    }
    return FontFiles(folder);
}

// The fonts' bare names, for programs run in their folder: tens of thousands of full paths
// would pass the limit of a command line.
std::vector<std::string> BareNames(const std::vector<fs::path>& fonts) {
    std::vector<std::string> names;
    for (const fs::path& font : fonts) {
        names.push_back(font.filename().string());
    }
    return names;
}

fs::path Pack(const fs::path& base, const std::vector<fs::path>& fonts) {
    const fs::path installer = base / "bulk.run";
    std::vector<std::string> pack = {(fs::path(KERNOVA_BINARY_DIR) / "kernova-pack").string(),
                                     "-o",
                                     installer.string(),
                                     "--title",
                                     "Kernova Bulk",
                                     "--"};
    for (const std::string& name : BareNames(fonts)) {
        pack.push_back(name);
    }
    Require(Run(pack, {}, fonts.front().parent_path(), As::Self), "kernova-pack");
    fs::permissions(installer, fs::perms(0755));
    return installer;
}

// One round: the reference, then the installer, each from a fresh world with nothing
// left to write back from before.
Round MeasureRound(const fs::path& base, const std::vector<fs::path>& fonts,
                   const fs::path& installer) {
    Round r;
    World ref(base / "reference");
    std::vector<std::string> cp = {"/bin/cp", "--"};
    for (const std::string& name : BareNames(fonts)) {
        cp.push_back(name);
    }
    cp.push_back(ref.fonts().string() + "/");
    ::sync();
    Child copied = Run(cp, ref.Environment(), fonts.front().parent_path());
    Require(copied, "cp");
    Child cached = Run({"/usr/bin/fc-cache", ref.fonts().string()}, ref.Environment());
    Require(cached, "fc-cache");
    r.cp = copied.seconds;
    r.fcCache = cached.seconds;
    r.cpKb = copied.peakKiB;
    r.fcCacheKb = cached.peakKiB;
    fs::remove_all(ref.root);

    World world(base / "installer");
    std::map<std::string, std::string> env = world.Environment();
    env["KERNOVA_TIMINGS"] = "1";
    ::sync();
    Child installed = Run({installer.string(), "/I"}, env, world.root);
    Require(installed, "the installer");
    // Every font, and the record of what the package installed.
    if (CountFiles(world.fonts()) != fonts.size() + 1 || CountFiles(world.tmp()) != 0) {
        throw std::runtime_error("the installer left " + std::to_string(CountFiles(world.fonts())) +
                                 " fonts and " + std::to_string(CountFiles(world.tmp())) +
                                 " files in TMPDIR");
    }
    r.installer = installed.seconds;
    r.installerKb = installed.peakKiB;
    r.parts = ParseTimings(installed.err);
    fs::remove_all(world.root);
    r.extraction = MeasureExtraction(installer, base / "extraction");
    return r;
}

template <typename Field> double MedianOf(const std::vector<Round>& rounds, Field field) {
    std::vector<double> values;
    for (const Round& r : rounds) {
        values.push_back(field(r));
    }
    return Median(values);
}

template <typename Field> double PeakMbOf(const std::vector<Round>& rounds, Field field) {
    long peak = 0;
    for (const Round& r : rounds) {
        peak = std::max(peak, field(r));
    }
    return peak / 1024.0;
}

// What one number of fonts came to.
struct Result {
    int fonts = 0;
    double megabytes = 0;
    int rounds = 0;
    double reference = 0, installer = 0, ratio = 0;
    std::vector<double> ratios;
};

std::string Spread(const std::vector<double>& values) {
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return bench::Format("%.2f-%.2f", *low, *high);
}

// The installer's own parts, as KERNOVA_TIMINGS reports them.
const std::vector<std::pair<std::string, std::string>> kParts = {
    {"names", "names (face name, already installed?)"},
    {"copies", "fonts into place (flushed, named)"},
    {"registration", "registration"},
    {"font-change", "font change (fontconfig rebuilt)"},
    {"favorites", "favorites"},
};

void PrintStages(const std::vector<Round>& rounds, double installer) {
    auto part = [&](const std::string& name) {
        return MedianOf(rounds, [&](const Round& r) {
            auto it = r.parts.find(name);
            return it == r.parts.end() ? 0.0 : it->second;
        });
    };
    const double extraction = MedianOf(rounds, [](const Round& r) { return r.extraction; });
    std::printf("  where the installer's time goes:\n");
    std::printf("    %-40s %7.3f s\n", "extraction (same package, in-process)", extraction);
    double accounted = extraction;
    std::map<std::string, bool> shown;
    for (const auto& [name, label] : kParts) {
        std::printf("    %-40s %7.3f s\n", label.c_str(), part(name));
        accounted += part(name);
        shown[name] = true;
    }
    // Parts a newer installer reports that this table does not know yet.
    for (const auto& [name, seconds] : rounds.front().parts) {
        if (!shown[name] && name != "fonts-copied") {
            std::printf("    %-40s %7.3f s\n", name.c_str(), part(name));
            accounted += part(name);
        }
    }
    std::printf("    %-40s %7.3f s\n", "the rest (start-up, pumping, clean-up)",
                std::max(0.0, installer - accounted));
}

// Runs the rounds for one number of fonts and prints what they came to.
Result MeasureCount(const fs::path& base, int count, int rounds, std::optional<double> target) {
    const std::vector<fs::path> fonts = BulkFonts(base, count);
    std::uintmax_t bytes = 0;
    for (const fs::path& font : fonts) {
        bytes += fs::file_size(font);
    }
    const fs::path installer = Pack(base, fonts);
    std::vector<Round> results;
    for (int round = 0; round < rounds; ++round) {
        results.push_back(MeasureRound(base, fonts, installer));
    }
    fs::remove(installer);

    Result result;
    result.fonts = count;
    result.megabytes = static_cast<double>(bytes) / 1e6;
    result.rounds = rounds;
    result.reference = MedianOf(results, [](const Round& r) { return r.reference(); });
    result.installer = MedianOf(results, [](const Round& r) { return r.installer; });
    result.ratio = MedianOf(results, [](const Round& r) { return r.ratio(); });
    for (const Round& r : results) {
        result.ratios.push_back(r.ratio());
    }

    std::printf("== %d fonts (%.1f MB), median of %d rounds\n", count, result.megabytes, rounds);
    std::printf("  reference: cp + fc-cache  %7.3f s  (cp %.3f s, fc-cache %.3f s)\n",
                result.reference, MedianOf(results, [](const Round& r) { return r.cp; }),
                MedianOf(results, [](const Round& r) { return r.fcCache; }));
    std::printf("  installer: /I             %7.3f s\n", result.installer);
    std::printf("  ratio %.2f, spread %s", result.ratio, Spread(result.ratios).c_str());
    if (target) {
        std::printf(" (target at most %.1f: %s)", *target,
                    result.ratio <= *target ? "met" : "MISSED");
    }
    std::printf("\n  peak memory: installer %.1f MB; cp %.1f MB, fc-cache %.1f MB\n",
                PeakMbOf(results, [](const Round& r) { return r.installerKb; }),
                PeakMbOf(results, [](const Round& r) { return r.cpKb; }),
                PeakMbOf(results, [](const Round& r) { return r.fcCacheKb; }));
    PrintStages(results, result.installer);
    std::fflush(stdout);
    return result;
}

void Row(const Result& result, const std::string& target) {
    bench::ReportRow("silent install /I vs cp + fc-cache",
                     bench::Format("%d fonts (%.1f MB)", result.fonts, result.megabytes),
                     bench::Format("%.2f s", result.installer),
                     bench::Format("%.2f s", result.reference),
                     bench::RatioCell(result.ratio, result.ratios), target);
}

std::optional<double> RatioTarget(int fonts) {
    if (fonts == 1000) {
        return 1.3;
    }
    if (fonts == 3000) {
        return 1.5;
    }
    return std::nullopt;
}

std::string Verdict(bool met) {
    return met ? "met" : "MISSED";
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

// The ratio should not grow with the package: the largest package's median lies within
// (or below) the smallest one's spread.
bool NotGrowing(const std::vector<Result>& results) {
    const std::vector<double>& smallest = results.front().ratios;
    return results.back().ratio <= *std::max_element(smallest.begin(), smallest.end());
}

// Each number of fonts' targets and whether they are met.
std::vector<std::string> Targets(const std::vector<Result>& results) {
    std::vector<std::string> targets;
    for (const Result& result : results) {
        std::vector<std::string> parts;
        if (std::optional<double> target = RatioTarget(result.fonts)) {
            parts.push_back(
                bench::Format("<= %.1fx: %s", *target, Verdict(result.ratio <= *target).c_str()));
        }
        if (&result == &results.back() && results.size() > 1) {
            parts.push_back(bench::Format("not growing from %d: %s", results.front().fonts,
                                          Verdict(NotGrowing(results)).c_str()));
        }
        targets.push_back(parts.empty() ? "-" : parts.front());
        if (parts.size() > 1) {
            targets.back() += "; " + parts.back();
        }
    }
    return targets;
}

void PrintSummary(const std::vector<Result>& results, const std::vector<std::string>& targets) {
    std::printf("summary    fonts  reference  installer  ratio  spread     target\n");
    for (std::size_t i = 0; i < results.size(); ++i) {
        const Result& result = results[i];
        std::printf("  %13d  %7.3f s  %7.3f s  %5.2f  %-9s  %s\n", result.fonts, result.reference,
                    result.installer, result.ratio, Spread(result.ratios).c_str(),
                    targets[i].c_str());
    }
    if (results.size() > 1) {
        const Result& smallest = results.front();
        const Result& largest = results.back();
        std::printf("  ratio from %d to %d fonts: %.2f -> %.2f, %s (target: not growing, that "
                    "is within %d's spread)\n",
                    smallest.fonts, largest.fonts, smallest.ratio, largest.ratio,
                    NotGrowing(results) ? "not growing" : "GROWS", smallest.fonts);
    }
    std::fflush(stdout);
}

struct Options {
    std::vector<int> fonts = {100, 1000, 3000};
    int rounds = 5;
    bool huge = false;
    int hugeFonts = 30000;
    int hugeRounds = 3;
    int flushing = 1000;
};

std::vector<int> Numbers(const std::string& list) {
    std::vector<int> numbers;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ',');) {
        numbers.push_back(std::atoi(item.c_str()));
    }
    return numbers;
}

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (option == "--huge") {
            options.huge = true;
            continue;
        }
        if (option == "--fonts") {
            options.fonts = Numbers(value);
        } else if (option == "--rounds") {
            options.rounds = std::atoi(value);
        } else if (option == "--huge-fonts") {
            options.hugeFonts = std::atoi(value);
        } else if (option == "--huge-rounds") {
            options.hugeRounds = std::atoi(value);
        } else if (option == "--flushing") {
            options.flushing = std::atoi(value);
        } else {
            return std::nullopt;
        }
        ++i;
    }
    const bool positive =
        std::all_of(options.fonts.begin(), options.fonts.end(), [](int n) { return n > 0; });
    if (options.fonts.empty() || !positive || options.rounds <= 0 || options.hugeFonts <= 0 ||
        options.hugeRounds <= 0 || options.flushing < 0) {
        return std::nullopt;
    }
    std::sort(options.fonts.begin(), options.fonts.end());
    return options;
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: bench_install [--fonts N,N,...] [--rounds R] [--huge] "
                             "[--huge-fonts N] [--huge-rounds R] [--flushing N]\n");
        return 2;
    }
    try {
        const fs::path base = fs::path(KERNOVA_BINARY_DIR) / "bench-install";
        fs::create_directories(base);
        std::vector<Result> results;
        for (int fonts : options->fonts) {
            results.push_back(MeasureCount(base, fonts, options->rounds, RatioTarget(fonts)));
        }

        const std::vector<std::string> targets = Targets(results);
        PrintSummary(results, targets);
        for (std::size_t i = 0; i < results.size(); ++i) {
            Row(results[i], targets[i]);
        }

        if (options->huge) {
            const Result huge = MeasureCount(base, options->hugeFonts, options->hugeRounds, {});
            const bool quick = huge.installer < 60;
            std::printf("  %d fonts: installer %.1f s, reference %.1f s (target: well under a "
                        "minute: %s)\n",
                        huge.fonts, huge.installer, huge.reference, Verdict(quick).c_str());
            Row(huge, "well under 1 min: " + Verdict(quick));
        }

        if (options->flushing > 0) {
            MeasureFlushing(BulkFonts(base, options->flushing), base / "flushing");
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "bench_install: %s\n", failure.what());
        return 1;
    }
    return 0;
}
