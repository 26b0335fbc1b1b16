#!/usr/bin/env bash
# Time from process start to the wizard's first paint (offscreen) for a 10 MB package of
# 30 fonts against the same installer carrying one tiny font.
# Usage: bench/startup.sh [ROUNDS]   (BUILD_DIR=folder; default build-bench, built without
# the sanitizers)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKERNOVA_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target kernova-installer bench_startup kernova_fonts >/dev/null
exec "$build/bench/bench_startup" "${1:-15}"
