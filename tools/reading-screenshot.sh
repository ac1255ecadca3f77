#!/usr/bin/env bash
# Takes a screenshot of a process window with the find strip open, its matches marked, the
# lines' arrival times shown and a link, on a virtual display:
#   tools/reading-screenshot.sh [output.png]   (default docs/find.png)
# Needs xdotool for the keys (apt-get install xdotool).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/docs/find.png}"
source "$root/tools/wine-env.sh"
"$root/tools/build.sh" x86_64 --target Tarnwick >/dev/null
prefix="$root/build/x86_64/wineprefix"
folder="$(mktemp -d /tmp/tarnwick-reading.XXXXXX)"
trap 'wine_session_stop; rm -rf "$folder"' EXIT
cat >"$folder/server.bat" <<'BAT'
@echo off
echo listening on http://localhost:5173/
for /L %%i in (1,1,9) do (
    echo GET /api/items/%%i 200 served in 3 ms
    echo GET /assets/app.js 304 not modified
    ping -n 2 127.0.0.1 >nul
)
echo GET /api/orders 500 failed: database timeout, see https://example.com/runbook
ping -n 3600 127.0.0.1 >nul
BAT
cat >"$folder/reading.tnkx" <<XML
<?xml version="1.0" encoding="utf-8"?>
<processes>
	<process>
		<title>Web server</title>
		<executable>Z:${folder//\//\\}\\server.bat</executable>
	</process>
</processes>
XML
config="Z:${folder//\//\\}\\reading.tnkx"
wine_prefix_init "$prefix"
TARNWICK_FORCE_XVFB=1 wine_session_start "$prefix"
"$root/tools/wine-run" "$prefix" explorer /desktop=Tarnwick,900x560 "$root/build/x86_64/bin/Tarnwick.exe" "$config" &
app=$!
sleep "${TARNWICK_SCREENSHOT_DELAY:-25}"
# View > Show timestamps (the third item), then Ctrl+F and a word to find.
xdotool key --delay 300 alt+v Down Down Return
sleep 1
xdotool key ctrl+f
sleep 1
xdotool type --delay 120 "200"
sleep 1
# On to a later match, so that earlier ones show marked above it.
xdotool key --delay 300 Return Return Return Return Return Return
sleep 2
mkdir -p "$(dirname "$out")"
import -window root -crop 900x560+0+0 +repage "$out"
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
echo "screenshot: $out"
