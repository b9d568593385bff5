#!/usr/bin/env bash
# Proves brevant-locks on a folder with a live lock (an editor on this
# computer has the drawing open), an old lock from this computer, an old and a
# new lock from another computer, and two lock files that are none (one line,
# binary data): the list is oldest first with the live lock marked, --json
# gives the same, --older-than keeps the old ones; --clear-stale without
# --yes removes nothing, with --yes it removes the locks old enough but never
# the live one, and prints what it removed; the broken files are reported,
# never removed.
#
# Usage: locks.sh <folder of brevant-editor, brevant-locks and Brevant15.arx>
set -euo pipefail
bin=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
for variable in $(compgen -e); do
    case $variable in BREVANT_*) unset "$variable" ;; esac
done
work=$(mktemp -d "${TMPDIR:-/tmp}/brevant-locks-test-XXXXXX")
editor_pid=""
cleanup() {
    if [ -n "$editor_pid" ]; then
        kill "$editor_pid" 2> /dev/null || true
        wait "$editor_pid" 2> /dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}

cp -R "$root/samples/drives/C" "$work/C"
export BREVANT_DRIVES="C=$work/C"
export BREVANT_REGISTRY_DIR="$work/registry"
export BREVANT_USER_NAME=jsmith
export BREVANT_COMPUTER_NAME=PC042
docinfo="$work/C/Jobs/A100/docinfo"
mkdir -p "$docinfo" "$work/C/Jobs/A100/sections/docinfo"
printf 'Locked At: 2 Nov 2020 09:00\r\nBy: ann\r\nFrom: PC042\r\n' > "$docinfo/old-dwg.lok"
printf 'Locked At: 1 Nov 2020 09:00\r\nBy: bob\r\nFrom: PC077\r\n' > "$docinfo/foreign-dwg.lok"
printf 'Locked At: %s\r\nBy: carl\r\nFrom: PC077\r\n' "$(LC_ALL=C date '+%-d %b %Y %H:%M')" \
    > "$work/C/Jobs/A100/sections/docinfo/sect01-dwg.lok"
printf 'Locked At: 1 Nov 2020 09:00\r\n' > "$docinfo/short-dwg.lok"
head -c 64 "$root/tests/data/dwg/libredwg_2000_TS1.dwg" > "$docinfo/binary-dwg.lok"

# The live lock: an editor of this computer holds plan01.dwg open.
mkfifo "$work/commands"
(cd "$work/C" && exec "$bin/brevant-editor" < "$work/commands" > "$work/editor.out" 2>&1) &
editor_pid=$!
exec 3> "$work/commands"
printf 'ARX LOAD Brevant15.arx\nOPEN C:\\Jobs\\A100\\plan01.dwg\n' >&3
for _ in $(seq 1 200); do
    [ -f "$docinfo/plan01-dwg.lok" ] && break
    sleep 0.1
done
[ -f "$docinfo/plan01-dwg.lok" ] || { cat "$work/editor.out"; fail "the editor wrote no lock"; }

locks() { "$bin/brevant-locks" "$@"; }

status=0
locks 'C:\Jobs' > "$work/list.out" 2> "$work/list.err" || status=$?
[ "$status" = 1 ] || fail "two broken lock files gave status $status, not 1"
sed -n '2,$p' "$work/list.out" | awk '{print $NF}' > "$work/order"
printf '%s\n' 'C:\Jobs\A100\foreign.dwg' 'C:\Jobs\A100\old.dwg' \
    'C:\Jobs\A100\sections\sect01.dwg' 'C:\Jobs\A100\plan01.dwg' > "$work/expected-order"
# The live and the new lock may be of the same minute: either order is right.
if ! cmp -s "$work/order" "$work/expected-order" &&
    ! cmp -s "$work/order" <(sed '3{h;d};4G' "$work/expected-order"); then
    cat "$work/list.out"
    fail "the locks are not listed oldest first"
fi
grep -q 'jsmith *PC042 (running) *C:\\Jobs\\A100\\plan01.dwg$' "$work/list.out" ||
    { cat "$work/list.out"; fail "the live lock is not marked"; }
grep -q 'short-dwg.lok: not a lock file: 1 line' "$work/list.err" || fail "the one-line lock"
grep -q 'binary-dwg.lok: not a lock file: it holds binary data' "$work/list.err" ||
    fail "the binary lock"

{ locks --json 'C:\Jobs' 2> /dev/null || true; } | tee "$work/json.out" | /usr/bin/python3 -c '
import json, sys
data = json.load(sys.stdin)
locks = {l["drawing"]: l for l in data["locks"]}
assert len(locks) == 4, locks
live = locks["C:\\Jobs\\A100\\plan01.dwg"]
assert live["heldByRunningEditor"] and live["user"] == "jsmith" and live["computer"] == "PC042"
old = locks["C:\\Jobs\\A100\\old.dwg"]
assert old["lockedSince"] == "2020-11-02T09:00:00" and not old["heldByRunningEditor"]
assert old["ageSeconds"] > 86400 * 365
assert len(data["problems"]) == 2
' || { cat "$work/json.out"; fail "--json"; }

[ "$({ locks --older-than 30 'C:\Jobs' 2> /dev/null || true; } | tail -n +2 | wc -l)" = 2 ] ||
    fail "--older-than 30 does not keep just the two old locks"

locks --clear-stale 0 'C:\Jobs' > "$work/dry.out" 2> /dev/null || true
[ "$(grep -c '^would remove ' "$work/dry.out")" = 3 ] || { cat "$work/dry.out"; fail "--clear-stale without --yes"; }
[ -f "$docinfo/old-dwg.lok" ] || fail "--clear-stale without --yes removed a lock"

status=0
locks --clear-stale 0 --yes 'C:\Jobs' > "$work/clear.out" 2> /dev/null || status=$?
[ "$status" = 1 ] || fail "the broken lock files are not reported when clearing"
for lock in 'C:\Jobs\A100\docinfo\old-dwg.lok' 'C:\Jobs\A100\docinfo\foreign-dwg.lok' \
    'C:\Jobs\A100\sections\docinfo\sect01-dwg.lok'; do
    grep -qF "removed  $lock" "$work/clear.out" || { cat "$work/clear.out"; fail "not removed: $lock"; }
done
grep -qF 'kept     C:\Jobs\A100\docinfo\plan01-dwg.lok' "$work/clear.out" ||
    fail "the live lock was not kept"
[ -f "$docinfo/plan01-dwg.lok" ] || fail "the live lock is gone"
[ -f "$docinfo/short-dwg.lok" ] && [ -f "$docinfo/binary-dwg.lok" ] || fail "a broken lock file was removed"
[ -e "$docinfo/old-dwg.lok" ] && fail "the old lock is still there"

printf 'QUIT\n' >&3
exec 3>&-
wait "$editor_pid" || true
editor_pid=""
[ -f "$docinfo/plan01-dwg.lok" ] && fail "the editor did not remove its lock on QUIT"
[ "$failed" = 0 ] && echo "live, old, foreign and broken locks: as expected"
exit $failed
