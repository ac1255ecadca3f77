#!/usr/bin/env bash
# Configures (once) and builds one build tree: build.sh <x86_64|i686|native> [cmake --build args...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch="$1"
shift
dir="$root/build/$arch"
jobs="${TARNWICK_JOBS:-$(nproc)}"
# ccache, where installed, lets several checkouts of the tree share their compiled objects:
# paths below the checkout are hashed relative to it.
launcher=""
if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
    launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
fi

if [ ! -f "$dir/CMakeCache.txt" ]; then
    case "$arch" in
        x86_64|i686)
            cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
                -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
                -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/wine-run;$dir/wineprefix" \
                $launcher ${TARNWICK_CMAKE_ARGS:-} >/dev/null
            ;;
        native)
            cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=ON $launcher ${TARNWICK_CMAKE_ARGS:-} >/dev/null
            ;;
        *)
            echo "build.sh: unknown build '$arch'" >&2
            exit 2
            ;;
    esac
fi
cmake --build "$dir" -j "$jobs" "$@"
