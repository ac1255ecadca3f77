#!/usr/bin/env bash
# Packs the release archive, build/dist/Tarnwick-<version>.zip: both programs, the demo, the
# user's README and the licence. The version is the one the version resource is built from
# (project(... VERSION ...) in CMakeLists.txt, through the generated TarnwickVersion.h).
#   dist.sh           builds the i686 and x86_64 programs first
#   dist.sh --built   packs what the two builds hold (tools/test.sh has just built them)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

if [ "${1:-}" != "--built" ]; then
    "$root/tools/build.sh" i686 --target Tarnwick
    "$root/tools/build.sh" x86_64 --target Tarnwick
fi

version_of() {  # version_of <build tree>: the version its resource was built with
    sed -n 's/^#define TARNWICK_VERSION_TEXT "\(.*\)"$/\1/p' "$1/generated/TarnwickVersion.h" 2>/dev/null
}
version=$(version_of "$root/build/x86_64")
if [ -z "$version" ]; then
    echo "dist.sh: no version in build/x86_64: build it first (tools/build.sh x86_64)" >&2
    exit 1
fi
# A tree configured before a version change would pack an older program under the new name.
if [ "$(version_of "$root/build/i686")" != "$version" ]; then
    echo "dist.sh: build/i686 was built as version '$(version_of "$root/build/i686")', not $version" >&2
    exit 1
fi
for program in Tarnwick DemoTicker; do
    for arch in i686 x86_64; do
        if [ ! -f "$root/build/$arch/bin/$program.exe" ]; then
            echo "dist.sh: build/$arch/bin/$program.exe is missing" >&2
            exit 1
        fi
    done
done

# Notepad before Windows 10 shows a file of bare line feeds as one line.
crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$@"; }

dist="$root/build/dist"
stage="$dist/Tarnwick-$version"
archive="$dist/Tarnwick-$version.zip"
rm -rf "$stage" "$archive"
mkdir -p "$stage/x86" "$stage/x64" "$stage/demo"
# demo.tnkx names its ticker by a bare name, which Tarnwick looks for in its own folder (never
# in the configuration's): each program gets the ticker of its own build beside it.
cp "$root/build/i686/bin/Tarnwick.exe" "$root/build/i686/bin/DemoTicker.exe" "$stage/x86/"
cp "$root/build/x86_64/bin/Tarnwick.exe" "$root/build/x86_64/bin/DemoTicker.exe" "$stage/x64/"
cp "$root/demo/demo.tnkx" "$stage/demo/"
sed "s/@VERSION@/$version/g" "$root/docs/README.txt" | crlf >"$stage/README.txt"
crlf "$root/LICENSE" >"$stage/LICENSE.txt"

(cd "$stage" && cmake -E tar cf "$archive" --format=zip x64 x86 demo README.txt LICENSE.txt)
echo "$archive"
