#pragma once

#include "platform/platform.h"

namespace kernova::test {

// The Linux backends, for tests of the real system behind the portable layers.
Platform& LinuxPlatform();

} // namespace kernova::test
