#!/usr/bin/env bash
# Runs the remembered layout's start-up benchmark: run.sh <bin folder>. tools/bench.sh provides
# the Wine session and TARNWICK_WINE_RUN; the program prints startup_restore_ratio.
set -euo pipefail
bin="$1"
${TARNWICK_WINE_RUN:-} "$bin/bench_layout.exe" | tr -d '\r'
