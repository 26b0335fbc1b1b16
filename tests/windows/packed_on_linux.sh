#!/usr/bin/env bash
# A Windows installer packed on Linux by kernova-pack, as the README tells a vendor to make
# one, installs under Wine: status 0, every font in the prefix's fonts folder byte for byte
# and listed by `reg query` under its full name with its file name.
# Usage: packed_on_linux.sh KERNOVA-PACK STUB-EXE FONT-DIR WORK-DIR  (in the run's Wine prefix)
set -euo pipefail
pack=$1 stub=$2 fonts=$3 work=$4
wine=/usr/lib/wine/wine64
key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts'

rm -rf "$work"
mkdir -p "$work"
ASAN_OPTIONS=detect_leaks=0 "$pack" --stub "$stub" -o "$work/Setup.exe" \
  --title "Packed on Linux" --license "$(dirname "$0")/../../samples/license.txt" \
  "$fonts/KernovaSampleSerif-Regular.ttf" "$fonts/KernovaSampleMono-Regular.ttf" \
  "$fonts/KernovaWide-Regular.ttf"
status=0
"$wine" "$work/Setup.exe" /I || status=$?
[ "$status" -eq 0 ] || { echo "Setup.exe /I ended with status $status" >&2; exit 1; }
for font in "KernovaSampleSerif-Regular.ttf:Kernova Sample Serif" \
  "KernovaSampleMono-Regular.ttf:Kernova Sample Mono" "KernovaWide-Regular.ttf:Kernova Wide"; do
  file=${font%%:*} face=${font#*:}
  cmp "$fonts/$file" "$WINEPREFIX/drive_c/windows/Fonts/$file"
  value=$("$wine" reg query "$key" /v "$face (TrueType)" | tr -d '\r')
  grep -qF "    $face (TrueType)    REG_SZ    $file" <<<"$value" ||
    { echo "not registered: $face -> $file: $value" >&2; exit 1; }
done
echo "packed on Linux, installed under Wine: 3 fonts in place and registered"
