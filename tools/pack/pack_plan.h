#pragma once

#include "archive/package_writer.h"
#include "pack_options.h"

#include <vector>

namespace kernova::pack {

// The entries of the installer the options describe, in the order they are appended:
// fonts, side and top pictures, licence, read-me, descriptor (so the descriptor is read
// first). Checks everything the installer would misread or refuse; throws
// std::runtime_error naming the culprit.
// A font name longer than the 40 bytes the package stores is shortened (its stem cut, a
// number added, the extension kept); `notes` gets a line saying so for each.
std::vector<PackageInput> PlanPackage(const PackOptions& options, bool windowsStub = false,
                                      std::vector<std::string>* notes = nullptr);

// True when the stub at `path` is a Windows program (it starts with "MZ"): its installer
// writes its entries under Windows's file name rules.
bool IsWindowsProgram(const std::string& path);

} // namespace kernova::pack
