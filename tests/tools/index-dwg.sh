#!/usr/bin/env bash
# Proves that brevant-index reads release-15 DWG drawings through the same
# reader as the editor: for each of the six sample drawings it writes the
# drawing information file that (PellamWriteDwgInfo) writes in the editor,
# preview included, byte for byte apart from the "# written at:" line (the
# editor's files are the dwg-drawing-information scenario's expected files),
# and it leaves the drawings untouched.
#
# Usage: index-dwg.sh <folder of brevant-index and Brevant15.arx>
set -euo pipefail
bin=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
scenario="$root/tests/scenario/dwg-drawing-information"
for variable in $(compgen -e); do
    case $variable in BREVANT_*) unset "$variable" ;; esac
done
work=$(mktemp -d "${TMPDIR:-/tmp}/brevant-index-dwg-XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}

# The scenario's drive C: (the drawings are links into tests/data) and the
# module installed in it, as the scenario installs it.
cp -RL "$scenario/drives/C" "$work/C"
mkdir -p "$work/C/Tarvex/Brevant/bin"
cp "$bin"/*.arx "$work/C/Tarvex/Brevant/bin/"
(cd "$work/C/Jobs/E500" && sha256sum *.dwg) > "$work/before.sha"
export BREVANT_DRIVES="C=$work/C"
export BREVANT_REGISTRY_DIR="$work/registry"
while IFS= read -r line; do
    export "BREVANT_$line"
done < "$scenario/settings"

"$bin/brevant-index" --module 'C:\Tarvex\Brevant\bin\Brevant15.arx' -j 1 'C:\Jobs\E500' \
    > "$work/index.out" 2>&1 || fail "brevant-index: status $? ($(cat "$work/index.out"))"

without_time() { grep -v '^# written at: ' "$1"; }
count=0
for expected in "$scenario"/expected-files/C/Jobs/E500/docinfo/*.din; do
    name=$(basename "$expected")
    written="$work/C/Jobs/E500/docinfo/$name"
    count=$((count + 1))
    if [ ! -f "$written" ]; then
        fail "no $name"
    elif ! cmp -s <(without_time "$expected") <(without_time "$written"); then
        fail "$name differs from the editor's"
    fi
done
[ "$count" = 6 ] || fail "$count expected files, not 6"
(cd "$work/C/Jobs/E500" && sha256sum -c --quiet "$work/before.sha") || fail "a drawing changed"
[ -z "$(find "$work/C/Jobs/E500" -name '*.lok' -o -name '*.his')" ] || fail "a lock or history file"
[ "$failed" = 0 ] && echo "brevant-index on the six release-15 drawings: as the editor"
exit $failed
