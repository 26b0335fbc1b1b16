#!/usr/bin/env bash
# Renders the README's pictures of the wizard under a real X server (Xvfb): the welcome page
# with its font preview, the licence page and the finish page of the sample package (the
# sample fonts, samples/license.txt, samples/readme.txt, samples/side.png, samples/top.png).
# Writes docs/screenshots/{welcome,license,finish}.png, and the welcome page of an Arabic, a
# Chinese and an icon font's package (Debian's Amiri, WenQuanYi Micro Hei and Font Awesome)
# as docs/screenshots/preview-{arabic,cjk,icons}.png; every page, and the same at 2x
# scaling, lands in build-screenshots/shots/ for a closer look.
# Usage: scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/setup.sh fonts-hosny-amiri fonts-wqy-microhei fonts-font-awesome
export KERNOVA_PREVIEW_FONTS="arabic=/usr/share/fonts/opentype/fonts-hosny-amiri/Amiri-Regular.ttf;\
cjk=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc;\
icons=/usr/share/fonts/truetype/font-awesome/fontawesome-webfont.ttf"

build=build-screenshots
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKERNOVA_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target kernova_qt_tests kernova_fonts

# A free display number for our own server.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x800x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
shots=$(mktemp -d)
cleanup() {
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -rf "$shots"
}
trap cleanup EXIT
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
# Tests started by root run as an ordinary user: the pictures folder must take their files.
chmod 0777 "$shots"
mkdir -p "$shots/1x" "$shots/2x"
chmod 0777 "$shots/1x" "$shots/2x"

shoot() { # folder scale
  env -u WAYLAND_DISPLAY DISPLAY=":$display" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$2" \
    KERNOVA_SCREENSHOT_DIR="$1" \
    "$build/tests/kernova_qt_tests" --gtest_filter='WizardScreenshots.*' >/dev/null
}
shoot "$shots/1x" 1
shoot "$shots/2x" 2

mkdir -p docs/screenshots "$build/shots"
cp "$shots/1x/welcome.png" "$shots/1x/license.png" "$shots/1x/finish.png" \
  "$shots/1x/preview-arabic.png" "$shots/1x/preview-cjk.png" "$shots/1x/preview-icons.png" \
  docs/screenshots/
rm -rf "$build/shots/1x" "$build/shots/2x"
cp -r "$shots/1x" "$shots/2x" "$build/shots/"
echo "screenshots: docs/screenshots/{welcome,license,finish,preview-*}.png; all pages in $build/shots/"
