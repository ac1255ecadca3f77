#!/usr/bin/env bash
# Runs the second-instance benchmark: run.sh <bin folder>. tools/bench.sh provides the Wine session
# and TARNWICK_WINE_RUN; the program prints second_instance_ms.
set -euo pipefail
bin="$1"
${TARNWICK_WINE_RUN:-} "$bin/bench_instance.exe" | tr -d '\r'
