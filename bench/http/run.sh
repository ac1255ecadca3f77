#!/usr/bin/env bash
# Runs the HTTP download benchmark: run.sh <bin folder>. Under tools/bench.sh, TARNWICK_WINE_RUN
# holds the command prefix that runs a Windows program in the benchmark's Wine session.
set -euo pipefail
bin="$1"
${TARNWICK_WINE_RUN:-} "$bin/http_bench.exe" | tr -d '\r'
