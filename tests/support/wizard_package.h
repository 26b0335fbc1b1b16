#pragma once

#include "archive/package_writer.h"
#include "platform/exit_code.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kernova::test {

// An installer in `folder`: a small stand-in stub with `entries` appended by the package
// writer. The last entry is the one read first (index 0 of lstFiles).
std::filesystem::path MakeInstaller(const std::filesystem::path& folder,
                                    const std::vector<PackageInput>& entries,
                                    const std::string& fileName = "setup-kernova");

PackageInput BytesEntry(const std::string& name, const std::string& bytes);
PackageInput FileEntry(const std::string& name, const std::filesystem::path& source);

// kernova.xml as packages carry it: "<XML>", one line per tag in the given order, "</XML>",
// CR LF line ends.
PackageInput DescriptorEntry(const std::vector<std::pair<std::string, std::string>>& tags);

// A complete 1 x 1 PNG picture.
std::string PngBytes();

// Runs `action`; the exit status when it ended the program, nothing when it returned.
std::optional<ExitCode> EndsProgram(const std::function<void()>& action);

// Everything below `folder` (files and folders), as sorted relative paths.
std::vector<std::string> FolderContents(const std::filesystem::path& folder);

} // namespace kernova::test
