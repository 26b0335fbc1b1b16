#!/usr/bin/env bash
# Runs every benchmark, each against a reference measured in the same run, and prints the
# table of their figures (bench/report.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
exec bash bench/report.sh "$@"
