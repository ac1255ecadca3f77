#!/usr/bin/env bash
# Runs the log file benchmark: run.sh <bin folder>. tools/bench.sh provides the Wine session and
# TARNWICK_WINE_RUN; the program prints log_capture_ratio and log_lines_lost.
set -euo pipefail
bin="$1"
$TARNWICK_WINE_RUN "$bin/bench_logfile.exe" | tr -d '\r'
