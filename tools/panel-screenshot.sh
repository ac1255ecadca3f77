#!/usr/bin/env bash
# Takes a screenshot of Tarnwick with its process panel on demo/dashboard.tnkx, whose processes
# end up running, stopped, failed and crashed: tools/panel-screenshot.sh [output.png]
# (default docs/panel.png).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/docs/panel.png}"
source "$root/tools/wine-env.sh"
"$root/tools/build.sh" x86_64 --target Tarnwick PanelShot >/dev/null
prefix="$root/build/x86_64/wineprefix"
config="Z:${root//\//\\}\\demo\\dashboard.tnkx"
wine_prefix_init "$prefix"
trap wine_session_stop EXIT
TARNWICK_FORCE_XVFB=1 wine_session_start "$prefix"
# The panel is toggled on below: a layout remembered from an earlier shot would have it on already.
"$root/tools/wine-run" "$prefix" reg delete 'HKCU\Software\Hollbrae\Tarnwick\Layouts' /f </dev/null >/dev/null 2>&1 || true
"$root/tools/wine-run" "$prefix" explorer /desktop=Tarnwick,1240x780 "$root/build/x86_64/bin/Tarnwick.exe" "$config" &
app=$!
sleep "${TARNWICK_SCREENSHOT_DELAY:-8}"
"$root/tools/wine-run" "$prefix" explorer /desktop=Tarnwick,1240x780 "$root/build/x86_64/bin/PanelShot.exe" \
    </dev/null >/dev/null 2>&1 || true
sleep 2
mkdir -p "$(dirname "$out")"
import -window root -crop 1240x780+0+0 +repage "$out"
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
echo "screenshot: $out"
