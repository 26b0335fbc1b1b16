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

// The command that starts `installer` with `arguments` in the sandbox's world (its HOME,
// XDG_*, TMPDIR, FONTCONFIG_FILE) with `extraEnv` on top, as the test user and without a
// display.
std::vector<std::string> InstallerCommand(const Sandbox& sandbox,
                                          const std::filesystem::path& installer,
                                          const std::vector<std::string>& arguments,
                                          const std::map<std::string, std::string>& extraEnv = {});

// Runs an installer to its end that way, in the sandbox's work folder.
ProcessResult RunInstaller(const Sandbox& sandbox, const std::filesystem::path& installer,
                           const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& extraEnv = {});

} // namespace kernova::test
