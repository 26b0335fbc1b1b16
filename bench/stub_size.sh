#!/usr/bin/env bash
# The size of the installer stub that kernova-pack appends, against 1 MiB, and whether it
# is stripped.
# Usage: bench/stub_size.sh   (BUILD_DIR=folder; default build-bench, a Release build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKERNOVA_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target kernova-installer bench_stub_size >/dev/null
exec "$build/bench/bench_stub_size"
