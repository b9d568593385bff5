#!/usr/bin/env bash
# A document manager listening before the editor starts hears one "Pellam-Brevant"
# broadcast, with 2116 and 0, for every change of a lock, history or drawing
# information file: the open (lock written), two saves (drawing information
# written each time), the save under a new name (old history appended, old
# lock deleted, new lock written, drawing information written) and the close
# (history appended, lock deleted) make nine. A second run with no listener at
# all ends just the same.
#
# Usage: listener-hears-refreshes.sh <brevant-editor> <brevant-listen>
set -euo pipefail
editor=$1
listen=$2
for variable in $(compgen -e); do
    case $variable in BREVANT_*) unset "$variable" ;; esac
done

run=$(mktemp -d "${TMPDIR:-/tmp}/brevant-listener-XXXXXX")
trap 'kill "${listener:-0}" 2>/dev/null || true; rm -rf "$run"' EXIT
mkdir -p "$run/C/Jobs" "$run/runtime"
chmod 700 "$run/runtime"
export BREVANT_DRIVES="C=$run/C"
export BREVANT_REGISTRY_DIR="$run/registry"
export BREVANT_RUNTIME_DIR="$run/runtime"
cat > "$run/session.scr" <<'SCR'
NEW
SAVEAS C:\Jobs\plan01.dwg
CLOSE
ARX LOAD Brevant15.arx
OPEN C:\Jobs\plan01.dwg
SAVE
SAVE
SAVEAS C:\Jobs\plan02.dwg
CLOSE
QUIT
SCR

"$listen" --timeout 60 > "$run/heard.txt" 2> "$run/listen.err" &
listener=$!
for _ in $(seq 100); do
    grep -q "listening on" "$run/listen.err" 2>/dev/null && break
    sleep 0.1
done
(cd "$run/C" && "$editor" "$run/session.scr") > "$run/editor.txt"

expected='"Pellam-Brevant" 0xC000 wParam=2116 lParam=0'
for _ in $(seq 100); do
    [ "$(grep -c . "$run/heard.txt" || true)" -ge 6 ] && break
    sleep 0.1
done
sleep 0.3  # a seventh message would be a fault: give it time to arrive
kill "$listener"
wait "$listener" 2>/dev/null || true
count=$(grep -c -x -F "$expected" "$run/heard.txt" || true)
lines=$(grep -c . "$run/heard.txt" || true)
if [ "$count" != 9 ] || [ "$lines" != 9 ]; then
    echo "expected nine lines '$expected', heard:"
    cat "$run/heard.txt"
    exit 1
fi

# No listener: the editor neither waits nor fails.
rm -rf "$run/C/Jobs/docinfo" "$run/C/Jobs/plan02.dwg"
(cd "$run/C" && timeout 60 "$editor" "$run/session.scr") > "$run/editor2.txt"
cmp "$run/editor.txt" "$run/editor2.txt"
echo "nine broadcasts heard; the run without a listener printed the same"
