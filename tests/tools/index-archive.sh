#!/usr/bin/env bash
# Proves brevant-index on a generated archive (bench/archive/make_archive.py,
# small size):
# - GNU parallel splits the archive's list of drawings over two workers
#   (--sshlogin 2/: is two jobs on this machine; a list of hosts spreads them
#   over machines that see the same share), and the files it writes are those
#   of one run over the whole archive;
# - a run that stopped part of the way (here: given half the list) is
#   finished by a run with --only-stale, which does only what is left;
# - bad input in the tree (a text file and a binary drawing named .dwg, a
#   link that leads nowhere, a symbolic link loop, a folder that cannot be
#   listed, drawings on a read-only share) is reported file by file, never
#   stops the others, and leaves no .din where none can be whole; without
#   --keep-going a folder that cannot be listed stops the run before it writes
#   anything.
#
# Usage: index-archive.sh <folder of brevant-index, brevant-din and Brevant15.arx>
set -euo pipefail
bin=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
for variable in $(compgen -e); do
    case $variable in BREVANT_*) unset "$variable" ;; esac
done
work=$(mktemp -d "${TMPDIR:-/tmp}/brevant-archive-test-XXXXXX")
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}
without_time() { grep -av '^# written at: ' "$1"; }

/usr/bin/python3 "$root/bench/archive/make_archive.py" "$work" --projects 3 --drawings 24 \
    --scale 0.02 2> /dev/null
mkdir -p "$work/C/Tarvex/Brevant/bin"
cp "$bin"/*.arx "$work/C/Tarvex/Brevant/bin/"
# R: is a read-only share holding a copy of one project.
mkdir -p "$work/R"
cp -R "$work/C/Jobs/P002" "$work/R/"
export BREVANT_DRIVES="C=$work/C;R=$work/R|\\\\srv\\archive|ro"
export BREVANT_REGISTRY_DIR="$work/registry"
module='C:\Tarvex\Brevant\bin\Brevant15.arx'
index() { "$bin/brevant-index" --module "$module" "$@"; }
dins() { (cd "$work/C/Jobs" && find . -name '*.din' | sort); }
clear_dins() { find "$work/C/Jobs" -type d -name docinfo -prune -exec rm -rf {} +; }

# One run over the whole archive, kept for comparison.
index -j 2 'C:\Jobs' > "$work/whole.out" || { cat "$work/whole.out"; fail "the whole run failed"; }
[ "$(dins | wc -l)" = 24 ] || fail "one run wrote $(dins | wc -l) files for 24 drawings"
mkdir "$work/whole"
(cd "$work/C/Jobs" && find . -name '*.din' -exec cp --parents {} "$work/whole/" \;)
clear_dins

# GNU parallel: pieces of 5 drawings, two at a time, one worker each.
parallel --sshlogin 2/: --pipe -N 5 "$bin/brevant-index" -j 1 --module "'$module'" \
    --files-from - < "$work/drawings.txt" > "$work/parallel.out" ||
    { cat "$work/parallel.out"; fail "GNU parallel's runs failed"; }
[ "$(grep -c '^ *drawings ' "$work/parallel.out")" = 5 ] || fail "not five pieces of work"
[ "$(dins | wc -l)" = 24 ] || fail "GNU parallel's runs wrote $(dins | wc -l) files for 24 drawings"
while IFS= read -r din; do
    cmp -s <(without_time "$work/whole/$din") <(without_time "$work/C/Jobs/$din") ||
        fail "$din differs between one run and GNU parallel's runs"
done < <(dins)

# A run stopped half way, finished by --only-stale.
clear_dins
head -12 "$work/drawings.txt" | index --files-from - > /dev/null || fail "the first half failed"
out=$(index --only-stale 'C:\Jobs')
if [ "$(grep -c '^written ' <<<"$out")" != 12 ] || [ "$(grep -c '^skipped ' <<<"$out")" != 12 ]; then
    echo "$out"
    fail "--only-stale did not do exactly the 12 drawings left"
fi
head -12 "$work/drawings.txt" | while IFS= read -r drawing; do
    grep -qxF "skipped    $drawing (up to date)" <<<"$out" || fail "$drawing was not skipped"
done

# Bad input among the drawings.
jobs="$work/C/Jobs"
printf 'not a drawing\n' > "$jobs/P001/broken.dwg"
# The head of a release-15 drawing file, which no reader can take whole.
head -c 2000 "$root/tests/data/dwg/libredwg_2000_TS1.dwg" > "$jobs/P001/binary.dwg"
ln -s "$jobs/P001/gone.dwg" "$jobs/P001/dangling.dwg"
ln -s .. "$jobs/P003/loop"
mkdir "$jobs/P003/closed"
chmod 000 "$jobs/P003/closed"
status=0
index 'C:\Jobs' > "$work/stop.out" 2> "$work/stop.err" || status=$?
[ "$status" = 1 ] || fail "a folder that cannot be listed ended the run with $status, not 1"
grep -q 'nothing was indexed' "$work/stop.err" || fail "the stopped run did not say so"
grep -q '^written ' "$work/stop.out" && fail "the stopped run wrote files"

status=0
# A folder walk does not see a link that leads nowhere; named, it is reported.
echo 'C:\Jobs\P001\dangling.dwg' | index --keep-going -j 2 'C:\Jobs' 'R:\' - > "$work/bad.out" \
    2> "$work/bad.err" || status=$?
[ "$status" = 1 ] || fail "bad input ended the run with $status, not 1"
expect() {
    grep -qF "$1" "$work/bad.out" || { cat "$work/bad.out"; fail "not reported: $1"; }
}
expect 'failed     C:\Jobs\P001\broken.dwg: not a drawing that can be read'
expect 'failed     C:\Jobs\P001\binary.dwg: not a drawing that can be read'
expect 'problem    C:\Jobs\P001\dangling.dwg: no such file or folder'
expect 'problem    cannot list the folder: Access to C:\Jobs\P003\closed was denied.'
expect 'note       C:\Jobs\P003\loop: walked already'
expect 'failed     R:\P002\sheets\p002-003.dwg: Brevant AutoCAD error'
expect 'Failed to create "R:\P002\sheets\docinfo\", check permissions.'
grep -qF 'brevant-index: failed     C:\Jobs\P001\broken.dwg' "$work/bad.err" ||
    fail "a failure did not reach the error output"
good=$(grep -cE '^(written|unchanged) ' "$work/bad.out")
[ "$good" = 24 ] || fail "$good of the 24 good drawings were indexed next to the bad ones"
for name in broken binary dangling; do
    [ -e "$jobs/P001/docinfo/$name-dwg.din" ] && fail "a .din was written for $name.dwg"
done
[ -n "$(find "$work/C/Jobs" -name '*.tmp')" ] && fail "temporary files were left"
[ "$failed" = 0 ] && echo "GNU parallel, --only-stale and bad input: as expected"
exit $failed
