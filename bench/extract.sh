#!/usr/bin/env bash
# Extraction of a ~300 MB package against cp of the same files, in the same run.
# Usage: bench/extract.sh [ROUNDS]   (BUILD_DIR=folder; default build-bench, built without
# the sanitizers). The data lives under the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKERNOVA_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target bench_extract_bench >/dev/null
exec "$build/bench/bench_extract_bench" "${1:-5}"
