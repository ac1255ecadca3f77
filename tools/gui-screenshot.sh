#!/usr/bin/env bash
# Takes a screenshot of Tarnwick on the demo configuration on a virtual display:
#   tools/gui-screenshot.sh [output.png]   (default docs/tarnwick.png)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/docs/tarnwick.png}"
source "$root/tools/wine-env.sh"
"$root/tools/build.sh" x86_64 --target Tarnwick SelectionShot >/dev/null
prefix="$root/build/x86_64/wineprefix"
config="Z:${root//\//\\}\\demo\\demo.tnkx"
wine_prefix_init "$prefix"
trap wine_session_stop EXIT
TARNWICK_FORCE_XVFB=1 wine_session_start "$prefix"
# A Wine desktop window draws the captions and frames that a bare X server leaves out.
"$root/tools/wine-run" "$prefix" explorer /desktop=Tarnwick,1240x780 "$root/build/x86_64/bin/Tarnwick.exe" "$config" &
app=$!
sleep "${TARNWICK_SCREENSHOT_DELAY:-8}"
# A selection in one window, made from outside as a program reading the view would.
"$root/tools/wine-run" "$prefix" explorer /desktop=Tarnwick,1240x780 "$root/build/x86_64/bin/SelectionShot.exe" \
    "Failing build" "compiling" "went wrong" </dev/null >/dev/null 2>&1 || true
sleep 1
mkdir -p "$(dirname "$out")"
# The windows occupy the top left of the 1280x1024 screen.
import -window root -crop 1240x780+0+0 +repage "$out"
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
echo "screenshot: $out"
