#pragma once

#include "support/process.h"
#include "support/sandbox.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kernova::test {

// Runs kernova-pack with `arguments`; throws with its output when it fails.
void Pack(const std::vector<std::string>& arguments);

// The command and options that start `installer` with `arguments` in the sandbox's world
// (its HOME, XDG_*, TMPDIR, FONTCONFIG_FILE), as the test user and without a display, plus
// `extraEnv`.
std::vector<std::string> InstallerCommand(const Sandbox& sandbox,
                                          const std::filesystem::path& installer,
                                          const std::vector<std::string>& arguments,
                                          const std::map<std::string, std::string>& extraEnv = {});
ProcessOptions HeadlessOptions(const Sandbox& sandbox);

// Runs an installer to its end that way.
ProcessResult RunInstaller(const Sandbox& sandbox, const std::filesystem::path& installer,
                           const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& extraEnv = {});

// The files directly in `folder`, name -> bytes.
std::map<std::string, std::string> FolderFiles(const std::filesystem::path& folder);

} // namespace kernova::test
