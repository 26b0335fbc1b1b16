#!/usr/bin/env bash
# Cross-builds the Windows installer (build-windows/kernova-installer.exe) and the tests for
# 64-bit Windows (MinGW-w64) and runs them with ctest under Wine, in a Wine prefix of their
# own under build-windows/.
# Usage: scripts/test-windows.sh      (exit status: ctest's, or the build's when it fails)
#   KERNOVA_HOST_PACK=path/to/kernova-pack  also packs a Windows installer with the Linux
#   packer and installs it (test.sh passes the one it built)
set -euo pipefail
cd "$(dirname "$0")/.."

# The test fonts are made with fontTools from DejaVu, as for the Linux build.
bash scripts/setup.sh cmake make g++-mingw-w64-x86-64-posix googletest \
  python3 python3-fonttools fonts-dejavu-core wine wine64 fonts-wine xvfb xauth coreutils

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

# Everything Wine and the tests write stays under build-windows/: the prefix, and a home,
# XDG folders and temp folder of their own (the prefix's shell folders link into HOME).
sandbox=$build/wine-sandbox
export WINEPREFIX=$build/wine-prefix
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko install dialogs, and no menu entries written for the prefix's programs.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME=$sandbox/home
export TMPDIR=$sandbox/tmp
export XDG_DATA_HOME=$HOME/.local/share
export XDG_CONFIG_HOME=$HOME/.config
export XDG_CACHE_HOME=$HOME/.cache
export XDG_RUNTIME_DIR=$sandbox/run
# Only Wine's own fonts: Wine rewrites the font registry from what fontconfig lists at every
# process start, and must leave the values the tests write for their own fonts alone.
export FONTCONFIG_FILE=$sandbox/fonts.conf
# No display: a GUI test starts an Xvfb of its own, before the wineserver.
unset DISPLAY WAYLAND_DISPLAY

wine=/usr/lib/wine/wine64
stop_wineserver() {
  timeout 30 wineserver -k </dev/null >/dev/null 2>&1 || true
  timeout 30 wineserver -w </dev/null >/dev/null 2>&1 || true
}
# A server left over from an interrupted run may lack this run's environment; its socket is
# under TMPDIR, so it is stopped before TMPDIR is emptied.
stop_wineserver
trap stop_wineserver EXIT

rm -rf "$TMPDIR"
mkdir -p "$HOME" "$TMPDIR" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cat >"$FONTCONFIG_FILE" <<EOF
<?xml version="1.0"?>
<fontconfig>
  <dir>/usr/share/wine/fonts</dir>
  <cachedir>$sandbox/fc-cache</cachedir>
</fontconfig>
EOF

# A prefix is reused when a run of the same Wine version finished making it; its registry as
# made is kept aside, so that every run starts from it.
ready=$WINEPREFIX/.kernova-prefix-ready
pristine=$WINEPREFIX/.kernova-pristine
version=$("$wine" --version)
if [ ! -f "$ready" ] || [ "$(cat "$ready")" != "$version" ] || [ ! -d "$pristine" ]; then
  echo "test-windows: making the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  log=$build/wineboot.log
  if ! timeout 300 "$wine" wineboot -i </dev/null >"$log" 2>&1 ||
    ! timeout 120 wineserver -w </dev/null >>"$log" 2>&1; then
    echo "test-windows: wineboot failed or timed out; its output:" >&2
    cat "$log" >&2
    exit 1
  fi
  mkdir -p "$pristine"
  cp "$WINEPREFIX"/*.reg "$pristine"/
  echo "$version" >"$ready"
fi
# What an earlier run installed goes: the tests expect their fonts not to be installed yet.
cp "$pristine"/*.reg "$WINEPREFIX"/
rm -rf "$WINEPREFIX/drive_c/windows/Fonts" "$WINEPREFIX"/drive_c/users/*/Favorites/* \
  "$WINEPREFIX"/drive_c/users/*/Temp/*
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"

# One persistent server for the whole run, detached from every pipe: a server started by the
# first test would hold ctest's output pipe open (ctest then waits forever), and without a
# persistent one each test pays the server's and the services' start-up.
wineserver -p </dev/null >/dev/null 2>&1 || true
timeout 120 "$wine" cmd /c exit </dev/null >/dev/null 2>&1

status=0
(cd "$build" && timeout --kill-after=30 3600 ctest -j"$jobs" --output-on-failure --timeout 300) ||
  status=$?
exit "$status"
