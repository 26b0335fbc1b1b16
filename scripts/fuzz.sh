#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds.
# Each target works in its own scratch folder; a crash or a write outside it fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
case "$seconds" in
  '' | *[!0-9]*) echo "fuzz: the time per target is a whole number of seconds, not '$seconds'" >&2; exit 2 ;;
esac
# libFuzzer reads a total time of 0 as "no limit": 0 here means each target runs over its
# seeds once and stops.
if [ "$seconds" -eq 0 ]; then
  limit=(-runs=0)
else
  limit=(-max_total_time="$seconds")
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKERNOVA_FUZZ=ON -DKERNOVA_TESTS=OFF -DKERNOVA_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target all

shopt -s nullglob
for target in build-fuzz/fuzz/*_fuzz; do
  name=$(basename "$target")
  corpus=build-fuzz/corpus/$name
  scratch=$(mktemp -d "$PWD/build-fuzz/scratch.XXXXXX")
  mkdir -p "$corpus"
  [ -d "fuzz/seeds/$name" ] && cp -n fuzz/seeds/"$name"/* "$corpus"/ 2>/dev/null || true
  echo "fuzz: $name for ${seconds}s"
  (cd "$scratch" && TMPDIR="$scratch" HOME="$scratch" KERNOVA_FUZZ_SCRATCH="$scratch" \
    "$OLDPWD/$target" "${limit[@]}" -rss_limit_mb=2048 "$OLDPWD/$corpus" \
    >"$OLDPWD/build-fuzz/$name.log" 2>&1) || { tail -50 "build-fuzz/$name.log"; exit 1; }
  tail -2 "build-fuzz/$name.log"
  rm -rf "$scratch"
done
