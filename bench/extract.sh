#!/usr/bin/env bash
# Extraction of a ~300 MB package against cp of the same files, in the same run.
# Usage: bench/extract.sh [ROUNDS]     (BUILD_DIR=folder to use another build; default build)
# Build without the sanitizers for meaningful numbers. The data lives under the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_extract_bench
"$build/bench/bench_extract_bench" "${1:-5}"
