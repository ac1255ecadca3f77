#!/usr/bin/env bash
# Runs ctest in the x86_64 build under its Wine sessions (prefixes, wineservers, Xvfb displays),
# passing its arguments on: tools/ctest-wine.sh -R Process --output-on-failure
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/wine-env.sh"
prefix="$root/build/x86_64/wineprefix"
wine_prefix_init "$prefix"
trap wine_session_stop EXIT
wine_test_sessions_start "$prefix"
cd "$root/build/x86_64"
export TARNWICK_WINE_RUN_AGAIN_IF_SILENT=1  # see tools/wine-run
ctest "$@"
