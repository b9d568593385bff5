#!/usr/bin/env bash
# Runs brevant-editor on a scenario's session script in a fresh temporary
# folder and compares what it prints with the scenario's expected transcript.
#
# Usage: run-transcript.sh <brevant-editor> <scenario folder> [<modules folder>]
#
# A scenario folder holds:
#   session.scr     the session script; its first comment lines say what it proves
#   expected.txt    the exact command-line output expected
#   errors.txt      optional: the exact error output expected (default: none)
#   status          optional: the exit status expected (default 0)
#   arguments       optional: the editor's options before the script, one a
#                   line (for example --open, then C:\Jobs\A100\plan01.dwg)
#   standard-input  optional: the editor reads session.scr on its standard
#                   input instead of running it as a script
#   settings        optional: lines NAME=VALUE, set as BREVANT_NAME for the run
#   drives/<X>/     optional: copied into the run folder, links followed (a
#                   drawing of tests/data can stand there as a link); each
#                   one-letter folder of the run folder is mapped as that
#                   drive (C: always is)
#   drives.map      optional: further drive map entries, "<drive>=<folder>[|...]"
#                   as in BREVANT_DRIVES but with the folder relative to the run
#                   folder: "P=P|\\srv\jobs" makes P: a network drive,
#                   "\\srv\jobs=S" maps a UNC share
#   expected-files/ optional: files that the run must leave, by their path in
#                   the run folder, compared byte for byte
#   check           optional: a program run after the session with the run
#                   folder as its argument; its failure fails the test
# When the run folder has C/Tarvex/Brevant/, the module files beside the editor
# are installed into its bin folder, as on a workstation, so that the module
# finds its standard and domain settings from there.
# The run folder's C is the current folder; the registry lives in the run
# folder; the modules folder is mapped as M:. The run folder's path, where the
# output shows it, is compared as $RUN; the source tree's path (in the file
# names of assertion reports) as $SOURCE. With UPDATE_TRANSCRIPTS=1 the expected
# files are written from the run instead of compared; with KEEP_RUN=1 the run
# folder is kept for a look.
set -euo pipefail
editor=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
scenario=$(cd "$2" && pwd)
modules=${3:-}
if [ -n "$modules" ]; then
    modules=$(cd "$modules" && pwd)
fi

# Only the scenario's own settings count.
for variable in $(compgen -e); do
    case $variable in BREVANT_*) unset "$variable" ;; esac
done

run=$(mktemp -d "${TMPDIR:-/tmp}/brevant-scenario-XXXXXX")
cleanup() {
    if [ "${KEEP_RUN:-}" = 1 ]; then
        echo "run folder kept: $run" >&2
        return
    fi
    chmod -R u+w "$run" 2>/dev/null || true
    rm -rf "$run"
}
trap cleanup EXIT

mkdir -p "$run/C"
if [ -d "$scenario/drives" ]; then
    cp -RL "$scenario/drives/." "$run/"
fi
editor_dir=$(dirname "$editor")
if [ -d "$run/C/Tarvex/Brevant" ]; then
    mkdir -p "$run/C/Tarvex/Brevant/bin"
    cp "$editor_dir"/*.arx "$run/C/Tarvex/Brevant/bin/"
fi
drives=""
for folder in "$run"/*/; do
    letter=$(basename "$folder")
    case $letter in
        [A-Za-z]) drives="$drives;$letter=${folder%/}" ;;
    esac
done
if [ -n "$modules" ]; then
    drives="$drives;M=$modules"
fi
if [ -f "$scenario/drives.map" ]; then
    while IFS= read -r line || [ -n "$line" ]; do
        case $line in '' | '#'*) continue ;; esac
        drives="$drives;${line%%=*}=$run/${line#*=}"
    done < "$scenario/drives.map"
fi
export BREVANT_DRIVES="${drives#;}"
export BREVANT_REGISTRY_DIR="$run/registry"
if [ -f "$scenario/settings" ]; then
    while IFS= read -r line || [ -n "$line" ]; do
        case $line in '' | '#'*) continue ;; esac
        export "BREVANT_$line"
    done < "$scenario/settings"
fi

arguments=()
if [ -f "$scenario/arguments" ]; then
    while IFS= read -r line || [ -n "$line" ]; do
        arguments+=("$line")
    done < "$scenario/arguments"
fi

status=0
if [ -f "$scenario/standard-input" ]; then
    (cd "$run/C" && "$editor" "${arguments[@]}" < "$scenario/session.scr") > "$run/output.raw" \
        2> "$run/errors.raw" || status=$?
else
    (cd "$run/C" && "$editor" "${arguments[@]}" "$scenario/session.scr") > "$run/output.raw" \
        2> "$run/errors.raw" || status=$?
fi
source=$(cd "$(dirname "$0")/../.." && pwd)
# The source tree shows in Linux form and, where the module names a file of
# it as a Windows path without a drive, with backslashes.
source_windows=${source//\//\\}
mask() {
    RUN="$run" SCENARIO="$scenario" SOURCE="$source/" SOURCE_WINDOWS="$source_windows\\" \
        perl -pe 's/\Q$ENV{RUN}\E/\$RUN/g; s/\Q$ENV{SCENARIO}\E/\$SCENARIO/g;
                  s/\Q$ENV{SOURCE}\E/\$SOURCE\//g; s/\Q$ENV{SOURCE_WINDOWS}\E/\$SOURCE\\/g'
}
mask < "$run/output.raw" > "$run/output.txt"
mask < "$run/errors.raw" > "$run/errors.txt"

if [ "${UPDATE_TRANSCRIPTS:-}" = 1 ]; then
    cp "$run/output.txt" "$scenario/expected.txt"
    if [ -s "$run/errors.txt" ]; then cp "$run/errors.txt" "$scenario/errors.txt"; else rm -f "$scenario/errors.txt"; fi
    if [ "$status" != 0 ]; then echo "$status" > "$scenario/status"; else rm -f "$scenario/status"; fi
    if [ -d "$scenario/expected-files" ]; then
        (cd "$scenario/expected-files" && find . -type f) | while IFS= read -r file; do
            cp "$run/$file" "$scenario/expected-files/$file"
        done
    fi
    echo "updated $scenario"
    exit 0
fi

failed=0
if ! diff -u "$scenario/expected.txt" "$run/output.txt"; then
    echo "The output differs from $scenario/expected.txt (above: - expected, + printed)."
    failed=1
fi
expected_errors=/dev/null
if [ -f "$scenario/errors.txt" ]; then
    expected_errors="$scenario/errors.txt"
fi
if ! diff -u "$expected_errors" "$run/errors.txt"; then
    echo "The error output differs from $expected_errors (above: - expected, + printed)."
    failed=1
fi
if [ -d "$scenario/expected-files" ]; then
    while IFS= read -r file; do
        if [ ! -f "$run/$file" ]; then
            echo "The run left no file ${file#./} (expected-files/${file#./})."
            failed=1
        elif ! cmp -s "$scenario/expected-files/$file" "$run/$file"; then
            echo "The file ${file#./} differs from expected-files/${file#./}:"
            diff -u <(od -c "$scenario/expected-files/$file") <(od -c "$run/$file") | head -40
            failed=1
        fi
    done < <(cd "$scenario/expected-files" && find . -type f | sort)
fi
if [ -x "$scenario/check" ] && ! "$scenario/check" "$run"; then
    echo "$scenario/check failed on the run folder."
    failed=1
fi
expected_status=0
if [ -f "$scenario/status" ]; then
    expected_status=$(tr -d '[:space:]' < "$scenario/status")
fi
if [ "$status" != "$expected_status" ]; then
    echo "brevant-editor ended with status $status, expected $expected_status."
    failed=1
fi
exit $failed
