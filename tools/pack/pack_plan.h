#pragma once

#include "archive/package_writer.h"
#include "pack_options.h"

#include <vector>

namespace kernova::pack {

// The entries of the installer the options describe, in the order they are appended:
// fonts, side and top pictures, licence, read-me, descriptor (so the descriptor is read
// first). Checks everything the installer would misread or refuse; throws
// std::runtime_error naming the culprit.
std::vector<PackageInput> PlanPackage(const PackOptions& options);

} // namespace kernova::pack
