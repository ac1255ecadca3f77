#!/usr/bin/env bash
# Takes a screenshot of the settings window over the frame, on the server demo configuration with
# its server entry's fields in view, on a virtual display:
# tools/settings-screenshot.sh [output.png]   (default docs/settings.png)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/docs/settings.png}"
source "$root/tools/wine-env.sh"
"$root/tools/build.sh" x86_64 --target Tarnwick SettingsShot >/dev/null
bin="$root/build/x86_64/bin"
prefix="$root/build/x86_64/wineprefix"
# The demo file is copied: the screenshot must not depend on, or change, the bundled one.
work="$(mktemp -d -t tarnwick-demo.XXXXXX)"
cp "$root/demo/servers.tnkx" "$root/demo/server.env" "$work/"
config="Z:${work//\//\\}\\servers.tnkx"
wine_prefix_init "$prefix"
trap 'wine_session_stop; rm -rf "$work"' EXIT
TARNWICK_FORCE_XVFB=1 wine_session_start "$prefix"
"$root/tools/wine-run" "$prefix" explorer /desktop=Tarnwick,1024x768 "$bin/Tarnwick.exe" "$config" \
    </dev/null >/dev/null 2>&1 &
app=$!
sleep 4
# Started on the same Wine desktop, so that it finds the frame.
"$root/tools/wine-run" "$prefix" explorer /desktop=Tarnwick,1024x768 "$bin/SettingsShot.exe" 1 560 740 </dev/null
sleep "${TARNWICK_SCREENSHOT_DELAY:-8}"
mkdir -p "$(dirname "$out")"
# Only the settings window (centred by SettingsShot) and a margin around it.
import -window root -crop 584x764+220+2 +repage "$out"
kill "$app" 2>/dev/null || true
echo "screenshot: $out"
