#!/usr/bin/env bash
# Start-up benchmark: builds an optimised installer (no sanitizers) into build-bench/ and
# times the wizard's first paint for a 10 MB package of 30 fonts against one tiny font.
# Usage: bench/startup.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKERNOVA_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target kernova-installer bench_startup kernova_fonts
"$build/bench/bench_startup" "${1:-15}"
