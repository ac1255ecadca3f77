#!/usr/bin/env bash
# Builds the 64-bit tree with its benchmark programs and runs every benchmark under a Wine
# session. Each bench/<name>/run.sh is called with the build's bin folder as its argument and
# prints "name: value" lines.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/wine-env.sh"
"$root/tools/build.sh" x86_64 >/dev/null
"$root/tools/build.sh" x86_64 --target benchmarks >/dev/null
prefix="$root/build/x86_64/wineprefix"
wine_prefix_init "$prefix"
trap wine_session_stop EXIT
wine_session_start "$prefix"
export TARNWICK_WINE_RUN="$root/tools/wine-run $prefix"
: >"$root/build/bench.log"
for script in "$root"/bench/*/run.sh; do
    [ -f "$script" ] || continue
    # Figures go to standard output; the programs' details go to build/bench.log.
    bash "$script" "$root/build/x86_64/bin" 2>>"$root/build/bench.log"
done
