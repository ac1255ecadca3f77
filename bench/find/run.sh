#!/usr/bin/env bash
# Runs the find benchmarks: run.sh <bin folder>. Prints find_count_ms (median of the runs) and
# find_count_spread_ms (slowest less fastest) from the store alone, and from the program itself
# find_ms (95th percentile of 20 searches), find_median_ms, find_latency_ms and
# timestamps_toggle_ms, and find_display_ratio (a flood with a search open against one without,
# median of the pairs).
set -euo pipefail
bin="$1"
$TARNWICK_WINE_RUN "$bin/bench_find.exe" | tr -d '\r'
$TARNWICK_WINE_RUN "$bin/bench_find_view.exe" | tr -d '\r'
