#!/usr/bin/env bash
# Runs every benchmark; each prints its ratio against a reference measured in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
for bench in extract fonts startup install; do
  echo "== bench/$bench.sh"
  bash "bench/$bench.sh"
done
