#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build, run and test Tarnwick. Idempotent and
# quick when everything is present.
set -euo pipefail

packages=(
    make cmake g++ python3
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    wine wine64
    xvfb imagemagick x11-utils
    librapidxml-dev googletest
    locales fonts-wine fonts-liberation
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    SUDO=""
    if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the locale: en_US gives Windows-1252, ja_JP gives 932.
need_locales=()
for l in en_US.UTF-8 ja_JP.UTF-8; do
    if ! locale -a 2>/dev/null | grep -qi "^${l%%.*}\.utf-\?8$"; then
        need_locales+=("$l")
    fi
done
for l in "${need_locales[@]}"; do
    SUDO=""
    if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
    $SUDO localedef -i "${l%%.*}" -f UTF-8 "$l" >/dev/null 2>&1 || echo "setup: could not generate locale $l"
done
