#!/usr/bin/env bash
# Runs the process capture benchmark: run.sh <bin folder>. tools/bench.sh provides the Wine
# session and TARNWICK_WINE_RUN; the program prints capture_ratio, stop_ms, tree_stop_ms,
# leftover_processes and capture_peak_mb.
set -euo pipefail
bin="$1"
$TARNWICK_WINE_RUN "$bin/bench_process.exe" | tr -d '\r'
