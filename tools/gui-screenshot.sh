#!/usr/bin/env bash
# Takes a screenshot of the framework's demonstration window (tests/gui/FrameDemo.cpp) on a
# virtual display: tools/gui-screenshot.sh [output.png]   (default docs/framework.png)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/docs/framework.png}"
source "$root/tools/wine-env.sh"
"$root/tools/build.sh" x86_64 --target FrameDemo >/dev/null
prefix="$root/build/x86_64/wineprefix"
wine_prefix_init "$prefix"
trap wine_session_stop EXIT
TARNWICK_FORCE_XVFB=1 wine_session_start "$prefix"
# A Wine desktop window draws the captions and frames that a bare X server leaves out.
"$root/tools/wine-run" "$prefix" explorer /desktop=FrameDemo,1240x780 \
    "$root/build/x86_64/bin/FrameDemo.exe" --quit-after 12000 &
demo=$!
sleep "${TARNWICK_SCREENSHOT_DELAY:-7}"
mkdir -p "$(dirname "$out")"
# The windows occupy the top left of the 1280x1024 screen.
import -window root -crop 1240x780+0+0 +repage "$out"
wait "$demo" || true
echo "screenshot: $out"
