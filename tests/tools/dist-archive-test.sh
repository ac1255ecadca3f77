#!/usr/bin/env bash
# Checks the release archive that tools/dist.sh packed: unpacks it into a scratch folder, checks
# what it holds, then has DistArchiveCheck.exe start the unpacked 64-bit program on the demo
# under Wine (the caller's Wine session: tools/test.sh or tools/ctest-wine.sh).
#   dist-archive-test.sh <archive> <version> <build bin folder> <wine-run> <prefix> <check program>
set -euo pipefail
archive="$1" version="$2" bin="$3" wine_run="$4" prefix="$5" check_program="$6"
source_root="$(cd "$(dirname "$0")/../.." && pwd)"
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

if [ ! -f "$archive" ]; then
    echo "FAILED: no $archive: tools/dist.sh packs it (tools/test.sh does before ctest)"
    exit 1
fi
archive=$(realpath "$archive") bin=$(realpath "$bin") check_program=$(realpath "$check_program")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/Tarnwick"
(cd "$work/Tarnwick" && cmake -E tar xf "$archive")

expected="LICENSE.txt
README.txt
demo/demo.tnkx
x64/DemoTicker.exe
x64/Tarnwick.exe
x86/DemoTicker.exe
x86/Tarnwick.exe"
listed=$(cd "$work/Tarnwick" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$listed" = "$expected" ] || fail "the archive holds"$'\n'"$listed"

# The 64-bit programs are this build's own: an archive left from an older build is stale.
for program in Tarnwick DemoTicker; do
    cmp -s "$bin/$program.exe" "$work/Tarnwick/x64/$program.exe" ||
        fail "x64/$program.exe is not build's $bin/$program.exe: run tools/dist.sh again"
done
cmp -s "$source_root/demo/demo.tnkx" "$work/Tarnwick/demo/demo.tnkx" || fail "demo/demo.tnkx differs from demo/"

machine() {  # the COFF machine field of a PE file, as 4 hex digits
    local header
    header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j"$((header + 4))" -N2 "$1" | tr -d ' '
}
for program in Tarnwick DemoTicker; do
    [ "$(machine "$work/Tarnwick/x64/$program.exe")" = 8664 ] || fail "x64/$program.exe is not an x86-64 program"
    [ "$(machine "$work/Tarnwick/x86/$program.exe")" = 014c ] || fail "x86/$program.exe is not an i386 program"
done

for text in README.txt LICENSE.txt; do
    file="$work/Tarnwick/$text"
    [ -s "$file" ] || fail "$text is empty"
    # Every line, the last one too, ends in CR LF, and no CR stands alone.
    awk '!/\r$/ { bad = 1 } END { exit bad }' "$file" || fail "$text has a line without CR LF"
    [ "$(tail -c 2 "$file" | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "$text does not end in CR LF"
    [ "$(tr -cd '\r' <"$file" | wc -c)" -le "$(wc -l <"$file")" ] || fail "$text has a CR inside a line"
done
grep -q "^Version $version"$'\r'"\$" "$work/Tarnwick/README.txt" || fail "README.txt does not say version $version"
! grep -q "@VERSION@" "$work/Tarnwick/README.txt" || fail "README.txt kept a placeholder"
grep -q "^MIT License" "$work/Tarnwick/LICENSE.txt" || fail "LICENSE.txt is not the MIT licence"
grep -q "Copyright (c) 2026 the Tarnwick developers" "$work/Tarnwick/LICENSE.txt" || fail "LICENSE.txt names no holder"
# The user's README names every registry value that the program still reads.
for value in NotifyOnFailure MinimizeToTray ScrollbackCharacters CheckForUpdates UpdateUrl; do
    grep -rqF "L\"$value\"" "$source_root/src" || fail "the program no longer reads $value: update docs/README.txt"
    grep -qw "$value" "$work/Tarnwick/README.txt" || fail "README.txt does not name the registry value $value"
done

# The unpacked programs, run from the scratch folder, seen by Wine through its Z: drive.
windows_folder="Z:${work//\//\\}\\Tarnwick"
log="$work/check.log"
TARNWICK_UNPACKED="$windows_folder" TARNWICK_DIST_VERSION="$version" \
    "$wine_run" "$prefix" "$check_program" </dev/null >"$log" 2>&1 || true
cat "$log"
# gtest's own closing lines, not the exit status: a Wine program can end with 0 halfway through.
grep -q '^\[  PASSED  \] ' "$log" || fail "DistArchiveCheck.exe did not pass"
! grep -q '^\[  FAILED  \] ' "$log" || fail "DistArchiveCheck.exe failed"

[ "$failures" -eq 0 ] && echo "dist archive: all checks passed"
exit "$failures"
