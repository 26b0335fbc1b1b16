#!/usr/bin/env bash
# Builds everything, packs the sample fonts into an installer and runs it: the wizard when
# a display is available; otherwise a silent install into a throwaway home, then shows what
# landed in its fonts folder and what fontconfig now lists.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKERNOVA_TESTS=OFF -DKERNOVA_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target all kernova_fonts

mkdir -p build/demo
installer=build/demo/KernovaSampleFonts.run
pictures=()
[ -f samples/side.png ] && pictures+=(--side samples/side.png)
[ -f samples/top.png ] && pictures+=(--top samples/top.png)
build/kernova-pack -o "$installer" \
  --title "Kernova Sample Fonts" \
  --url "https://example.com/kernova-sample-fonts" --url-name "Kernova Sample Fonts on the web" \
  --add-favorites --preview \
  --license samples/license.txt --readme samples/readme.txt "${pictures[@]}" \
  build/fonts/KernovaSampleSans-Regular.ttf build/fonts/KernovaSampleSans-Bold.ttf \
  build/fonts/KernovaSampleSerif-Regular.ttf
echo "== $installer"
build/kernova-pack --list "$installer"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "== running the wizard"
  exec "$installer"
fi

# No display (a server, CI): install silently for a throwaway user account.
home=$(mktemp -d "$PWD/build/demo/home.XXXXXX")
mkdir -p "$home/.local/share/fonts" "$home/.cache/fontconfig" "$home/tmp" "$home/run"
cat >"$home/fonts.conf" <<CONF
<?xml version="1.0"?>
<fontconfig>
  <dir>$home/.local/share/fonts</dir>
  <cachedir>$home/.cache/fontconfig</cachedir>
</fontconfig>
CONF
run_as_user=()
if [ "$(id -u)" -eq 0 ]; then
  # As root the installer would install for every user; the demo stays in its own home.
  chown -R 65534:65534 "$home"
  chmod 0700 "$home/run"
  run_as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
demo_env=(env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_DATA_HOME="$home/.local/share"
  XDG_CACHE_HOME="$home/.cache" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home/run"
  TMPDIR="$home/tmp" FONTCONFIG_FILE="$home/fonts.conf")

echo "== no display: silent install (/I) into $home"
status=0
"${run_as_user[@]}" "${demo_env[@]}" "$installer" /I || status=$?
echo "installer exit status: $status"
echo "== fonts folder $home/.local/share/fonts"
ls -l "$home/.local/share/fonts"
echo "== fontconfig now lists"
"${demo_env[@]}" fc-list --format '%{fullname}  (%{file})\n' | sort
echo "== temporary folder after the run (empty when clean)"
ls -A "$home/tmp"
exit "$status"
