#!/usr/bin/env bash
# Builds Tarnwick and starts it under Wine on the bundled demo configuration. With a display
# it runs until you close it; without one it runs on a virtual display for a few seconds and
# leaves a screenshot in build/screenshot.png.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/wine-env.sh"
"$root/tools/build.sh" x86_64 --target Tarnwick >/dev/null

bin="$root/build/x86_64/bin"
prefix="$root/build/x86_64/wineprefix"
config="$(winepath_of() { echo "Z:${1//\//\\}"; }; winepath_of "$root/demo/demo.tnkx")"
wine_prefix_init "$prefix"
headless=""
if [ -z "${DISPLAY:-}" ]; then headless=1; fi
trap wine_session_stop EXIT
wine_session_start "$prefix"

if [ -z "$headless" ]; then
    "$root/tools/wine-run" "$prefix" "$bin/Tarnwick.exe" "$config"
    exit 0
fi

# A Wine desktop window draws the frames and captions that a window manager would.
"$root/tools/wine-run" "$prefix" explorer /desktop=Tarnwick,1024x700 "$bin/Tarnwick.exe" "$config" &
app=$!
sleep "${TARNWICK_RUN_SECONDS:-6}"
import -window root -crop 1024x700+0+0 "$root/build/screenshot.png"
echo "Tarnwick ran on a virtual display; screenshot: build/screenshot.png"
kill "$app" 2>/dev/null || true
