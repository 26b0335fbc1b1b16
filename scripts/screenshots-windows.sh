#!/usr/bin/env bash
# The README's Windows screenshots: the sample package's Windows installer under Wine on a
# virtual display, driven by keys and clicks as a user drives it (xdotool), every page shot
# with ImageMagick as windows-*.png; the welcome page also at 144 and 192 dpi. Needs the
# Windows build (scripts/test-windows.sh) and a Linux kernova-pack (KERNOVA_HOST_PACK, or
# the one scripts/run-demo.sh or scripts/test.sh built). Fails when a page does not come.
# Usage: scripts/screenshots-windows.sh [FOLDER]     (default docs/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh wine wine64 fonts-wine xvfb xauth xdotool imagemagick

build=$PWD/build-windows
stub=$build/kernova-installer.exe
pack=
for candidate in ${KERNOVA_HOST_PACK:-} $PWD/build/kernova-pack $PWD/build-test/kernova-pack; do
  [ -x "$candidate" ] && pack=$candidate && fonts=${candidate%/*}/fonts && break
done
if [ ! -f "$stub" ] || [ -z "$pack" ]; then
  echo "screenshots-windows: run scripts/test-windows.sh and scripts/run-demo.sh first" >&2
  exit 1
fi
out=$(realpath -m "${1:-docs/screenshots}")
work=$build/screenshots-work
rm -rf "$work"
mkdir -p "$work" "$out"
ASAN_OPTIONS=detect_leaks=0 "$pack" --stub "$stub" -o "$work/Setup.exe" \
  --title "Kernova Sample Fonts" \
  --url https://example.com/kernova-sample-fonts --url-name "Kernova Sample Fonts on the web" \
  --add-favorites --preview --license samples/license.txt --readme samples/readme.txt \
  --side samples/side.png --top samples/top.png \
  "$fonts/KernovaSampleSans-Regular.ttf" "$fonts/KernovaSampleSans-Bold.ttf" \
  "$fonts/KernovaSampleSerif-Regular.ttf" >/dev/null

source scripts/wine-env.sh
kernova_wine_start
trap kernova_wine_stop EXIT
title="Kernova Sample Fonts - Kernova Installer"

# The window of that name, once it is painted.
window() {
  local id
  id=$(timeout 60 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)
  if [ -z "$id" ]; then
    echo "screenshots-windows: no window \"$1\" within a minute" >&2
    exit 1
  fi
  sleep 0.7
  echo "$id"
}
# The main window's area of the screen (a box over it included) as docs/screenshots/$1.
shoot() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$(window "$title")")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$1"
  echo "screenshots-windows: $1"
}
# Clicks at a place of the main window's client area (441 x 297 pixels at 96 dpi), below
# the caption Wine draws for a window no manager frames.
click() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$(window "$title")")"
  local border=$(((WIDTH - 441) / 2))
  xdotool mousemove --window "$WINDOW" $((border + $1)) $((HEIGHT - 297 - border + $2)) click 1
}
key() {
  xdotool windowfocus --sync "$(window "$title")" key "$@"
}

# The last font installed silently first, so that the wizard's installing page stops on the
# notice that it is already there, with the others copied: the page stays up to be shot.
ASAN_OPTIONS=detect_leaks=0 "$pack" --stub "$stub" -o "$work/Serif.exe" \
  "$fonts/KernovaSampleSerif-Regular.ttf" >/dev/null
"$wine" "$work/Serif.exe" /I >/dev/null 2>&1

"$wine" "$work/Setup.exe" &
installer=$!
shoot windows-welcome.png
key alt+n
shoot windows-license.png
# "I accept the agreement": its place in the layout (twips 2100, 3180) at 96 dpi.
click 146 218
key alt+n
shoot windows-readme.png
key alt+n
# The notice, moved just below the window, is shot with it.
notice=$(window "Kernova Installer")
eval "$(xdotool getwindowgeometry --shell "$(window "$title")")"
xdotool windowmove --sync "$notice" "$X" $((Y + HEIGHT + 6))
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$notice" | sed 's/^/NOTICE_/')"
import -window root -crop "$WIDTH"x$((NOTICE_Y + NOTICE_HEIGHT - Y))+"$X"+"$Y" +repage \
  "$out/windows-installing.png"
echo "screenshots-windows: windows-installing.png"
xdotool windowfocus --sync "$notice" key Return # OK: the font is skipped
shoot windows-finish.png
key alt+f
wait "$installer" || true

# The welcome page on denser screens.
for dpi in 144 192; do
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    >/dev/null 2>&1
  "$wine" "$work/Setup.exe" &
  installer=$!
  shoot "windows-welcome-$dpi.png"
  key Escape
  wait "$installer" || true
done
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
