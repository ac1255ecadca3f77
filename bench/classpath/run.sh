#!/usr/bin/env bash
# Runs the class path scan benchmark: run.sh <bin folder>. tools/bench.sh provides the Wine
# session and TARNWICK_WINE_RUN; the program prints classpath_scan_ms and classpath_refusal_ms.
set -euo pipefail
bin="$1"
$TARNWICK_WINE_RUN "$bin/bench_classpath.exe" | tr -d '\r'
