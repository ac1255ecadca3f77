#!/usr/bin/env bash
# Runs the panel benchmark: run.sh <bin folder>. Prints panel_ui_latency_ms, the median over
# several fresh programs of the 99th percentile of the frame's message latency with 30 process
# windows writing a line every 100 ms each and the process panel shown; the runs' spread goes to
# standard error.
set -euo pipefail
bin="$1"
$TARNWICK_WINE_RUN "$bin/bench_panel.exe" | tr -d '\r'
