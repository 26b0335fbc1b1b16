#!/usr/bin/env bash
# Runs every benchmark, each against a reference measured in the same run, and ends with
# one Markdown table of their figures. Each bench program prints its figures as lines
#   kernova-bench | measure | fonts/size | ours | reference | ratio | target |
# beside its own text; this script keeps every program's output in <build>/bench-report/
# and gathers those lines, adding the machine.
# Usage: bench/report.sh   (BUILD_DIR=folder; default build-bench, a Release build without
# the sanitizers). Exits with 1 when a benchmark failed or missed a target it checks.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${BUILD_DIR:-build-bench}
logs=$BUILD_DIR/bench-report
began=$SECONDS

# Configured every time, so that benchmarks added since the last run are built as well.
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DKERNOVA_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" >/dev/null
mkdir -p "$logs"

failed=()
# run NAME [ARG...]: bench/NAME.sh, its output shown and kept in $logs/NAME.log.
run() {
  local name=$1 start=$SECONDS status=0
  shift
  echo "== bench/$name.sh $*"
  bash "bench/$name.sh" "$@" 2>&1 | tee "$logs/$name.log" || status=$?
  echo "== bench/$name.sh: $((SECONDS - start)) s, exit status $status"
  if ((status != 0)); then
    failed+=("bench/$name.sh exited with $status (a missed target or a failure; see $logs/$name.log)")
  fi
}
run stub_size
run startup
run extract
run fonts
run install --huge

model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
memory=$(awk '/^MemTotal:/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
machine="$(nproc) cores, ${model:-$(uname -m)}, $memory"

# rows NAME: the figures bench/NAME.sh printed, with the machine after the measure.
rows() {
  awk -v machine="$machine" 'sub(/^kernova-bench \| /, "") {
    cut = index($0, " | ")
    print "| " substr($0, 1, cut - 1) " | " machine " | " substr($0, cut + 3)
  }' "$logs/$1.log"
}

echo
echo "## Benchmark figures"
echo
echo "| measure | machine | fonts/size | ours | reference | ratio | target |"
echo "|---|---|---|---|---|---|---|"
rows install
rows extract
rows startup
rows stub_size
rows fonts
echo
echo "Whole run: $((SECONDS - began)) s."
if ((${#failed[@]})); then
  printf '%s\n' "${failed[@]}"
  exit 1
fi
