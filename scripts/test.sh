#!/usr/bin/env bash
# Builds everything with the sanitizers and runs every test, then each fuzz target briefly,
# then the Windows build of the portable layers and their tests under Wine.
# Usage: scripts/test.sh            (FUZZ_SECONDS=N to change the fuzzing time per target)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
# LeakSanitizer cannot run under every container's ptrace rules; the address and
# undefined-behaviour checks stay on.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKERNOVA_SANITIZE=ON \
  -DKERNOVA_BENCH=OFF >/dev/null
cmake --build build-test -j"$jobs"
(cd build-test && ctest -j"$jobs" --output-on-failure --timeout 600)

bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"

# The Windows installer cross-built by MinGW and its tests under Wine, with an installer
# packed by the packer built above.
KERNOVA_HOST_PACK=$PWD/build-test/kernova-pack bash scripts/test-windows.sh
