#!/usr/bin/env bash
# Runs the graceful stop benchmark: run.sh <bin folder>. tools/bench.sh provides the Wine session
# and TARNWICK_WINE_RUN; the program prints graceful_stop_overhead_ms.
set -euo pipefail
bin="$1"
${TARNWICK_WINE_RUN:-} "$bin/bench_stop.exe" | tr -d '\r'
