#!/usr/bin/env bash
# Face names, registry lookups and registration of 1000 fonts against fc-scan and
# cp + fc-cache, in an environment of its own under the build tree.
# Usage: bench/fonts.sh [ROUNDS]   (BUILD_DIR=folder; default build-bench, built without
# the sanitizers)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKERNOVA_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target bench_fonts_bench >/dev/null
exec "$build/bench/bench_fonts_bench" "${1:-3}"
