#!/usr/bin/env bash
# Cross-builds the Windows installer (build-windows/kernova-installer.exe) and the tests for
# 64-bit Windows (MinGW-w64) and runs them with ctest under Wine, in a Wine prefix of their
# own under build-windows/ (scripts/wine-env.sh), on a virtual display.
# Usage: scripts/test-windows.sh      (exit status: ctest's, or the build's when it fails)
#   KERNOVA_HOST_PACK=path/to/kernova-pack  also packs a Windows installer with the Linux
#   packer and installs it (test.sh passes the one it built)
set -euo pipefail
cd "$(dirname "$0")/.."

# The test fonts are made with fontTools from DejaVu, as for the Linux build.
bash scripts/setup.sh cmake make g++-mingw-w64-x86-64-posix googletest \
  python3 python3-fonttools python3-brotli fonts-dejavu-core wine wine64 fonts-wine xvfb xauth \
  coreutils

build=$PWD/build-windows
jobs=$(nproc)
cmake -S . -B "$build" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKERNOVA_HOST_PACK="${KERNOVA_HOST_PACK:-}" >/dev/null
cmake --build "$build" -j"$jobs"

# Shown here; the ctest test <exe>.ImportsSystemDllsOnly fails on a MinGW runtime DLL.
for exe in "$build"/*.exe; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
  echo "test-windows: $(basename "$exe") imports $dlls"
done

# Wine in a prefix and a world of the build's own, with a display of its own (Xvfb): the
# wizard's tests make real windows.
source scripts/wine-env.sh
kernova_wine_start
trap kernova_wine_stop EXIT

status=0
(cd "$build" && timeout --kill-after=30 3600 ctest -j"$jobs" --output-on-failure --timeout 300) ||
  status=$?
kernova_wine_stop

# The wizard shot page by page as a user walks it, when there is a packer to make the
# installer with (scripts/screenshots-windows.sh docs/screenshots updates the README's).
if [ -n "${KERNOVA_HOST_PACK:-}" ]; then
  shots=$build/screenshots
  rm -rf "$shots"
  if ! timeout 600 bash scripts/screenshots-windows.sh "$shots"; then
    echo "test-windows: the wizard's screenshots failed" >&2
    status=1
  fi
fi
exit "$status"
