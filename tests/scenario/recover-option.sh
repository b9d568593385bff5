#!/usr/bin/env bash
# brevant-editor --recover DRAWING [SCRIPT]: the drawing is recovered before
# the script runs, and the script saves it as a sound file; a drawing that
# cannot be read at all ends the editor with status 1, a missing DRAWING is a
# usage error (status 2).
#   recover-option.sh <brevant-editor> <quirk corpus folder>
set -euo pipefail
editor=$1
corpus=$2
run=$(mktemp -d "${TMPDIR:-/tmp}/brevant-recover-XXXXXX")
trap 'rm -rf "$run"' EXIT
for variable in $(compgen -e); do
    case $variable in BREVANT_*) unset "$variable" ;; esac
done
export BREVANT_REGISTRY_DIR="$run/registry"
cp "$corpus/damaged-no-eof.dxf" "$run/bad.dxf"
printf 'SAVEAS %s\nQUIT\n' "$run/good.dxf" > "$run/save.scr"
fail() { echo "FAIL: $*"; exit 1; }

out=$("$editor" --recover "$run/bad.dxf" "$run/save.scr" 2>&1) || fail "status $?: $out"
grep -q "bad.dxf was repaired:" <<<"$out" || fail "no list of repairs: $out"
grep -q "no EOF record; EOF supplied" <<<"$out" || fail "no EOF repair: $out"
printf 'OPEN %s\nQUIT\n' "$run/good.dxf" > "$run/open.scr"
"$editor" "$run/open.scr" >/dev/null 2>&1 || fail "the saved drawing does not open"

printf '0\nSECTION\n' > "$run/nothing.dxf"
status=0
"$editor" --recover "$run/no-such.dxf" "$run/open.scr" >/dev/null 2>&1 || status=$?
[ "$status" = 1 ] || fail "a missing drawing: status $status, not 1"
status=0
"$editor" --recover >/dev/null 2>&1 || status=$?
[ "$status" = 2 ] || fail "no drawing named: status $status, not 2"
echo "recover option: ok"
