#pragma once

// What the Windows tests share: the test fonts, installers made from the built stub, running
// one as a separate process, and the prefix's fonts folder, registry and temporary folder.
// Everything lives in the test run's own Wine prefix.
#include "archive/package_writer.h"

#include <string>
#include <vector>

namespace kernova::wintest {

// A file of the build tree (a Linux path) as the prefix sees it, through drive Z:.
std::string FromBuildTree(const std::string& unixPath);

// A sample font of the standard set, and the bulk fonts "Kernova Bulk NNNN" (a number per
// test, so that tests sharing the prefix never install the same font).
std::string SampleFont(const std::string& name);
std::string BulkFontFile(int number); // its full path
std::string BulkFontName(int number); // "KernovaBulkNNNN.ttf"
std::string BulkFaceName(int number); // "Kernova Bulk NNNN"
PackageInput BulkFontEntry(int number);

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// The names in a folder, sorted; none for a missing one.
std::vector<std::string> Names(const std::string& folder);

// A fresh folder of the test's own in the temporary folder, removed with everything in it.
class Scratch {
  public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

// The built installer stub with `entries` appended by the package writer.
void MakeInstaller(const std::string& output, const std::vector<PackageInput>& entries);
// The stub with raw archive bytes appended (damaged packages).
void MakeRawInstaller(const std::string& output, const std::string& archive);

struct RunResult {
    unsigned long status = 0;
    std::string output; // standard output and standard error together
};
// Runs `program` with the command-line tail `arguments` and `temp` as its temporary folder
// (TMP and TEMP), and waits for it to end.
RunResult Run(const std::string& program, const std::string& arguments, const std::string& temp);

std::string FontsFolder();
std::string TempFolder();
std::string FavoritesFolder();
// The data of the font registry's value for `faceName` ("" when there is none).
std::string RegisteredFile(const std::string& faceName);

} // namespace kernova::wintest
