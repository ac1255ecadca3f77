#!/usr/bin/env bash
# Runs the start-up benchmark: run.sh <bin folder>. tools/bench.sh provides the Wine session and
# TARNWICK_WINE_RUN; the program prints startup_check_extra_ms.
set -euo pipefail
bin="$1"
${TARNWICK_WINE_RUN:-} "$bin/bench_startup.exe" | tr -d '\r'
