#!/usr/bin/env bash
# Sourced by the build scripts: prepares a Wine prefix and, when needed, a virtual display.
#   wine_prefix_init <prefix>     create the prefix once (wineboot), crash dialog off
#   wine_session_start <prefix>   persistent wineserver (+ Xvfb when there is no display),
#                                 Tarnwick's update check off in the prefix
#   wine_session_stop             stop both again

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

TARNWICK_XVFB_PID=""
wine_session_start() {
    local prefix="$1"
    export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ -z "${DISPLAY:-}" ] || [ -n "${TARNWICK_FORCE_XVFB:-}" ]; then
        local fifo
        fifo=$(mktemp -u)
        mkfifo "$fifo"
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
        TARNWICK_XVFB_PID=$!
        local number
        read -r -t 30 number <"$fifo" || true
        rm -f "$fifo"
        export DISPLAY=":${number}"
    fi
    # A server left running for this prefix (an interrupted run's) would refuse a second one.
    wineserver -k 2>/dev/null || true
    # The server's own messages (at its end it can list the objects still open) go to a log, not
    # after the summary line of whoever started the session.
    wineserver -p 2>>"$(dirname "$prefix")/wineserver.log"
    # Start Wine's own services now, with our output closed: started later by a test, they would
    # inherit that test's output pipe and keep ctest waiting for it to close.
    LANG=en_US.UTF-8 wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    # The same for the desktop process, which the first program with a window would start:
    # rundll32 makes a hidden window before it calls the (harmless) function.
    LANG=en_US.UTF-8 wine rundll32.exe user32.dll,MessageBeep </dev/null >/dev/null 2>&1 || true
    wine_updates_off
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
    if [ -n "$TARNWICK_XVFB_PID" ]; then
        kill "$TARNWICK_XVFB_PID" 2>/dev/null || true
        wait "$TARNWICK_XVFB_PID" 2>/dev/null || true
        TARNWICK_XVFB_PID=""
    fi
}
