#!/usr/bin/env bash
# Checks one program against the conventions of tools/README.md:
#   --help         status 0, nothing on the error output, the standard output
#                  as <folder>/help.txt, and a line that states the exit statuses
#   --version      status 0, the standard output as <folder>/version.txt, in
#                  which $VERSION stands for the project's version
#   a wrong option status 2, nothing on the standard output, the usage on the
#                  error output
#   the man page   read by groff without a warning
# With UPDATE_TRANSCRIPTS=1 the transcripts are written from the run instead.
#
# Usage: run-program.sh <program> <folder> <man page> <version> <groff>
set -euo pipefail
program=$1
folder=$2
manpage=$3
version=$4
groff=$5
for variable in $(compgen -e); do
    case $variable in BREVANT_*) unset "$variable" ;; esac
done
run=$(mktemp -d "${TMPDIR:-/tmp}/brevant-program-XXXXXX")
trap 'rm -rf "$run"' EXIT
failed=0
fail() {
    echo "$(basename "$program"): $*"
    failed=1
}

status=0
"$program" --help > "$run/help.txt" 2> "$run/help.err" || status=$?
[ "$status" = 0 ] || fail "--help ended with status $status"
[ ! -s "$run/help.err" ] || fail "--help wrote to the error output: $(cat "$run/help.err")"
grep -q "Exit status: 0 .*; 1 .*; 2 " <(tr '\n' ' ' < "$run/help.txt") \
    || fail "--help does not state the exit statuses 0, 1 and 2 (\"Exit status: 0 ...; 1 ...; 2 ...\")"

status=0
"$program" --version > "$run/version.raw" 2> "$run/version.err" || status=$?
[ "$status" = 0 ] || fail "--version ended with status $status: $(cat "$run/version.err")"
VERSION="$version" perl -pe 's/\Q$ENV{VERSION}\E/\$VERSION/g' < "$run/version.raw" > "$run/version.txt"
grep -q '\$VERSION' "$run/version.txt" || fail "--version does not show the version $version"

status=0
"$program" --no-such-option > "$run/wrong.out" 2> "$run/wrong.err" || status=$?
[ "$status" = 2 ] || fail "a wrong option ended with status $status, not 2"
[ ! -s "$run/wrong.out" ] || fail "a wrong option wrote to the standard output"
grep -q "usage:" "$run/wrong.err" || fail "a wrong option did not show the usage on the error output"

warnings=$("$groff" -man -ww -z "$manpage" 2>&1 || true)
[ -z "$warnings" ] || fail "groff warns about $manpage: $warnings"

if [ "${UPDATE_TRANSCRIPTS:-}" = 1 ]; then
    mkdir -p "$folder"
    cp "$run/help.txt" "$run/version.txt" "$folder/"
    echo "updated $folder"
    exit $failed
fi
for transcript in help.txt version.txt; do
    if [ ! -f "$folder/$transcript" ]; then
        fail "no $folder/$transcript (UPDATE_TRANSCRIPTS=1 ctest -R program.$(basename "$program") writes it)"
    elif ! diff -u "$folder/$transcript" "$run/$transcript"; then
        fail "$transcript differs from $folder/$transcript (above: - expected, + printed)"
    fi
done
exit $failed
