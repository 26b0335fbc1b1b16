#!/usr/bin/env bash
# Silent install of 100, 1000 and 3000 fonts through the real installer against cp +
# fc-cache of the same fonts, in the same run; prints each ratio with its spread, where the
# time goes and peak memory, and whether the ratio grows with the number of fonts.
# Usage: bench/install.sh [OPTION...]   (options of bench_install: --fonts N,N,...,
# --rounds R, --huge for 30 000 fonts as well, --huge-rounds R, --flushing N; see
# bench/install.cpp). BUILD_DIR=folder; default build-bench, built without the sanitizers.
# The fonts and worlds live under the build tree; run as root, the installer runs as uid
# 65534 so it never writes into /usr/local/share/fonts.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKERNOVA_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target kernova-installer kernova-pack bench_install >/dev/null
exec "$build/bench/bench_install" "$@"
