#!/usr/bin/env bash
# Sourced by the build scripts: prepares a Wine prefix and, when needed, a virtual display.
#   wine_prefix_init <prefix>     create the prefix once (wineboot), crash dialog off
#   wine_session_start <prefix>   persistent wineserver (+ Xvfb when there is no display),
#                                 Tarnwick's update check off in the prefix
#   wine_test_sessions_start <prefix>
#                                 the same, and beside it sessions a to d (copies of the prefix,
#                                 each with a wineserver and a virtual display of its own) for the
#                                 tests that must run alone
#   wine_session_stop             stop them all again

# Every Wine program these scripts start runs without the kernel's address randomisation
# (tools/wine-norandom says why).
TARNWICK_TOOLS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
wine() { "$TARNWICK_TOOLS/wine-norandom" "$@"; }

wine_prefix_init() {
    local prefix="$1"
    export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$prefix/system.reg" ] || [ ! -f "$prefix/.tarnwick-ready" ]; then
        echo "wine: creating prefix $prefix"
        mkdir -p "$prefix"
        LANG=en_US.UTF-8 wineboot --init >/dev/null 2>&1 || true
        wineserver -w
        LANG=en_US.UTF-8 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
        wineserver -w
        touch "$prefix/.tarnwick-ready"
    fi
}

# Starts a virtual display: sets XVFB_STARTED_PID and XVFB_STARTED_DISPLAY.
xvfb_start() {
    local fifo number=""
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    XVFB_STARTED_PID=$!
    read -r -t 30 number <"$fifo" || true
    rm -f "$fifo"
    XVFB_STARTED_DISPLAY=":${number}"
}

TARNWICK_XVFB_PID=""
# The sessions beside the main one for the tests that run alone; tests/CMakeLists.txt names them.
TARNWICK_TEST_SESSIONS="a b c d"
TARNWICK_SIDE_SESSIONS=""  # "prefix:xvfb pid" of each session started beside the main one
wine_session_start() {
    local prefix="$1"
    export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ -z "${DISPLAY:-}" ] || [ -n "${TARNWICK_FORCE_XVFB:-}" ]; then
        xvfb_start
        TARNWICK_XVFB_PID=$XVFB_STARTED_PID
        export DISPLAY="$XVFB_STARTED_DISPLAY"
    fi
    wine_server_start "$prefix"
}

wine_test_sessions_start() {
    local prefix="$1" name side starting=""
    # The sessions start side by side: each start mostly waits for Wine's own processes.
    for name in $TARNWICK_TEST_SESSIONS; do
        side="$prefix-$name"
        # A copy of the main prefix as it was made; made again when that is made again.
        if [ ! -f "$side/.tarnwick-ready" ] || [ "$side/.tarnwick-ready" -ot "$prefix/.tarnwick-ready" ]; then
            rm -rf "$side"
            cp -a "$prefix" "$side"
            rm -f "$side/.session"
        fi
        xvfb_start
        TARNWICK_SIDE_SESSIONS="$TARNWICK_SIDE_SESSIONS $side:$XVFB_STARTED_PID"
        (export WINEPREFIX="$side" DISPLAY="$XVFB_STARTED_DISPLAY" && wine_server_start "$side") &
        starting="$starting $!"
        # tools/wine-run finds the session's display here, and the session's end by its pid.
        echo "$XVFB_STARTED_DISPLAY $XVFB_STARTED_PID" >"$side/.session"
    done
    wine_session_start "$prefix"
    local pid
    for pid in $starting; do
        wait "$pid" || true
    done
}

# The persistent wineserver of the prefix in WINEPREFIX, and Wine's own processes started.
wine_server_start() {
    local prefix="$1"
    # A server left running for this prefix (an interrupted run's) would refuse a second one.
    wineserver -k 2>/dev/null || true
    # The server's own messages (at its end it can list the objects still open) go to a log, not
    # after the summary line of whoever started the session.
    wineserver -p 2>>"$(dirname "$prefix")/wineserver.log"
    # Start Wine's own services now, with our output closed: started later by a test, they would
    # inherit that test's output pipe and keep ctest waiting for it to close.
    LANG=en_US.UTF-8 wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    # The same for the desktop process, which the first program with a window would start (and
    # which would then count as that program's child): rundll32 makes a hidden window before it
    # calls the (harmless) function. Now and then (in a copied prefix, every time) the desktop
    # that Wine starts ends within a second, so one is started by hand where none runs by then.
    LANG=en_US.UTF-8 wine rundll32.exe user32.dll,MessageBeep </dev/null >/dev/null 2>&1 || true
    sleep 1
    local try
    for try in $(seq 1 100); do
        if wine_desktop_runs "$prefix"; then
            break
        elif [ "$try" = 1 ]; then
            (LANG=en_US.UTF-8 wine explorer.exe /desktop </dev/null >/dev/null 2>&1 &)
        fi
        sleep 0.1
    done
    wine_updates_off
}

# Whether the desktop process of the prefix runs (found by the prefix in its environment).
wine_desktop_runs() {
    local prefix="$1" process
    for process in /proc/[0-9]*; do
        if tr '\0' ' ' 2>/dev/null <"$process/cmdline" | grep -q 'explorer\.exe /desktop' &&
            tr '\0' '\n' 2>/dev/null <"$process/environ" | grep -qxF "WINEPREFIX=$prefix"; then
            return 0
        fi
    done
    return 1
}

# Tarnwick's start-up update check stays off in the prefix, so that nothing run here depends on
# the network; the tests of the check give it what they need themselves.
wine_updates_off() {
    LANG=en_US.UTF-8 wine reg add 'HKCU\Software\Hollbrae\Tarnwick' /v CheckForUpdates /t REG_SZ /d 0 /f \
        </dev/null >/dev/null 2>&1 || true
}

wine_session_stop() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null || true
    fi
    local side
    for side in $TARNWICK_SIDE_SESSIONS; do
        rm -f "${side%:*}/.session"
        WINEPREFIX="${side%:*}" wineserver -k 2>/dev/null || true
        kill "${side##*:}" 2>/dev/null || true
        wait "${side##*:}" 2>/dev/null || true
    done
    TARNWICK_SIDE_SESSIONS=""
    if [ -n "$TARNWICK_XVFB_PID" ]; then
        kill "$TARNWICK_XVFB_PID" 2>/dev/null || true
        wait "$TARNWICK_XVFB_PID" 2>/dev/null || true
        TARNWICK_XVFB_PID=""
    fi
}
