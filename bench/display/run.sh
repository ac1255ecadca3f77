#!/usr/bin/env bash
# Runs the display benchmark: run.sh <bin folder>. tools/bench.sh provides the Wine session and
# TARNWICK_WINE_RUN; the program prints display_ratio, display_mb_s, display_colour_ratio,
# display_utf8_ratio, ui_latency_ms, ui_latency_colour_ms, long_line_mb_s, trim_ui_latency_ms,
# display_peak_mb, progress_lines, startup_ms and startup_ratio.
set -euo pipefail
bin="$1"
$TARNWICK_WINE_RUN "$bin/bench_display.exe" | tr -d '\r'
