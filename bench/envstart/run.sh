#!/usr/bin/env bash
# Runs the environment start-up benchmark: run.sh <bin folder>. tools/bench.sh provides the Wine
# session and TARNWICK_WINE_RUN; the program prints env_start_ratio.
set -euo pipefail
bin="$1"
${TARNWICK_WINE_RUN:-} "$bin/bench_envstart.exe" | tr -d '\r'
