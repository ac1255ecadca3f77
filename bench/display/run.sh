#!/usr/bin/env bash
# Runs the display benchmark: run.sh <bin folder>. tools/bench.sh provides the Wine session and
# TARNWICK_WINE_RUN; the program prints display_ratio, ui_latency_ms, display_peak_mb, startup_ms
# and startup_ratio.
set -euo pipefail
bin="$1"
$TARNWICK_WINE_RUN "$bin/bench_display.exe" | tr -d '\r'
