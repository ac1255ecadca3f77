#!/usr/bin/env bash
# Checks tools/sign-update: what it signs is exactly the text the program verifies, it refuses
# malformed versions and dates, and it escapes what it writes. sign-update-test.sh <sign-update>
set -euo pipefail
tool="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
check() {  # check <what> <command...>: the command must succeed
    local what="$1"
    shift
    if ! "$@"; then
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}
refuses() {  # refuses <what> <arguments...>: sign-update must fail and print nothing
    local what="$1" out
    shift
    if out=$("$tool" "$@" 2>/dev/null) || [ -n "$out" ]; then
        echo "FAILED: accepted $what"
        failures=$((failures + 1))
    fi
}
element() { sed -n "s|.*<$1>\\(.*\\)</$1>.*|\\1|p" "$2"; }
verifies() {  # verifies <reply> <signed text followed by X, which keeps its last line feed>
    element signature "$1" | base64 -d >sig
    printf '%s' "${2%X}" | openssl dgst -sha256 -verify public.pem -signature sig >/dev/null
}
refused() { ! verifies "$@"; }

"$tool" keygen key.pem >public.b64
base64 -d public.b64 | openssl pkey -pubin -inform DER -out public.pem
printf 'updater' >updater.exe
printf 'program' >program.exe
updater=$(openssl dgst -sha256 -r updater.exe | cut -d' ' -f1)
program=$(openssl dgst -sha256 -r program.exe | cut -d' ' -f1)
export SIGN_UPDATE_ISSUED=2026-12-01

"$tool" sign key.pem 2027-06-30 1.2.30 updater.exe program.exe >offer.xml
check "offer elements" test "$(element version offer.xml) $(element expires offer.xml) $(element issued offer.xml)" \
    = "1.2.30 2027-06-30 2026-12-01"
check "offer hashes" test "$(element updaterSha256 offer.xml) $(element downloadSha256 offer.xml)" = "$updater $program"
check "offer signature" verifies offer.xml \
    "$(printf 'tarnwick-update-2\n2026-12-01\n2027-06-30\n1.2.30\n%s\n%s\n\nX' "$updater" "$program")"
check "no message in an offer" test -z "$(element message offer.xml)"

"$tool" message key.pem 2027-06-30 "Down for <repairs> & \"more\"" >message.xml
check "message escaped" test "$(element message message.xml)" = "Down for &lt;repairs&gt; &amp; &quot;more&quot;"
check "message signature" verifies message.xml \
    "$(printf 'tarnwick-update-2\n2026-12-01\n2027-06-30\n\n\n\nDown for <repairs> & "more"\nX')"
check "a changed text fails" refused message.xml "$(printf 'tarnwick-update-2\n2026-12-01\n2027-06-30\n\n\n\nDown\nX')"

for version in 1.2.x 1..2 .1 1. "" "1.2 3" v1.2 1.2.3.4.5.6.7.8.9.10.11; do
    refuses "version '$version'" sign key.pem 2027-06-30 "$version" updater.exe program.exe
done
refuses "an expiry before the issue" sign key.pem 2026-11-30 1.2 updater.exe program.exe
refuses "month 13" sign key.pem 2027-13-01 1.2 updater.exe program.exe
refuses "a two-line message" message key.pem 2027-06-30 "$(printf 'one\ntwo')"
refuses "an empty message" message key.pem 2027-06-30 ""
SIGN_UPDATE_ISSUED=2026-1-1 refuses "a malformed issue date" sign key.pem 2027-06-30 1.2 updater.exe program.exe

[ "$failures" -eq 0 ] && echo "sign-update: all checks passed"
exit "$failures"
