#!/usr/bin/env bash
# /E of a ~300 MB package through the real installer against one cp of the same files beside
# it, in the same run, with TMPDIR on the same file system and on tmpfs; prints the medians,
# their spread, the ratio and the installer's peak memory.
# Usage: bench/extract.sh [ROUNDS]   (BUILD_DIR=folder; default build-bench, built without
# the sanitizers). The data lives under the build tree; run as root, the installer runs as
# uid 65534 in a world of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKERNOVA_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target kernova-installer bench_extract_bench >/dev/null
exec "$build/bench/bench_extract_bench" "${1:-5}"
