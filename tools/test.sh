#!/usr/bin/env bash
# Builds everything and runs every test: the portable tests natively (with sanitizers), then
# the whole suite under Wine. ctest's summary line of the Wine run is the last thing printed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/wine-env.sh"

# The Wine prefix is made while the builds run: making one mostly waits for Wine.
prefix="$root/build/x86_64/wineprefix"
mkdir -p "$root/build"
(wine_prefix_init "$prefix") >"$root/build/wineprefix-init.log" 2>&1 &
prefix_pid=$!
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true' EXIT  # a failed build ends it too

"$root/tools/build.sh" i686 --target Tarnwick
"$root/tools/build.sh" native
"$root/tools/build.sh" x86_64
# The release archive from the two builds just made; the x86_64 tests unpack it and run it.
echo "== release archive"
"$root/tools/dist.sh" --built

echo "== native tests (AddressSanitizer, UBSan)"
# They run while the Wine sessions start, which mostly wait for Wine.
(cd "$root/build/native" && ctest --output-on-failure --timeout 300 -j "$(nproc)" ${TARNWICK_CTEST_ARGS:-}) \
    >"$root/build/native/ctest.log" 2>&1 &
native_pid=$!
wait "$prefix_pid" || true
cat "$root/build/wineprefix-init.log"
wine_prefix_init "$prefix"  # exports the prefix here; makes it only if the making above failed
trap wine_session_stop EXIT
wine_test_sessions_start "$prefix"
set +e
wait "$native_pid"
native_status=$?
set -e
if [ "$native_status" = 0 ]; then tail -n 3 "$root/build/native/ctest.log"; else cat "$root/build/native/ctest.log"; fi

echo "== Windows tests under Wine"
cd "$root/build/x86_64"
export TARNWICK_WINE_RUN_AGAIN_IF_SILENT=1  # see tools/wine-run
set +e
# One test in each session for the tests that run alone, two in the main one.
set -- $TARNWICK_TEST_SESSIONS
ctest --output-on-failure -j "${TARNWICK_TEST_JOBS:-$(($# + 2))}" ${TARNWICK_CTEST_ARGS:-}
status=$?
set -e
wine_session_stop
trap - EXIT
if [ "$native_status" != 0 ] && [ "$status" = 0 ]; then
    status=$native_status
fi
exit $status
