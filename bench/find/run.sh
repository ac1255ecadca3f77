#!/usr/bin/env bash
# Runs the find benchmark: run.sh <bin folder>. Prints find_count_ms (median of the runs) and
# find_count_spread_ms (slowest less fastest).
set -euo pipefail
bin="$1"
$TARNWICK_WINE_RUN "$bin/bench_find.exe" | tr -d '\r'
