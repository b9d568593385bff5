#!/usr/bin/env bash
# Proves that brevant-index writes what the editor writes. Every drawing of the
# sample project and of the scenario tests is opened in the editor with the
# module loaded and saved (a drawing whose name is no drawing's name is
# written on demand, as (PellamWriteDwgInfo) does); a second copy of the same
# files is indexed by brevant-index under the same drive map and the registry
# the editor left. Each .din of the one equals the other's apart from the
# "# written at:" line, and brevant-din checks every one of them clean.
# brevant-index leaves the drawings as they were and writes no history or
# lock. Then, on the drawing-information scenario's drawings: a second run
# with --only-stale writes nothing, and after one project settings file
# changes it writes that project's drawings only.
#
# Usage: index-matches-editor.sh <folder of brevant-editor, brevant-index,
#        brevant-din and Brevant15.arx>
set -euo pipefail
bin=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
for variable in $(compgen -e); do
    case $variable in BREVANT_*) unset "$variable" ;; esac
done
work=$(mktemp -d "${TMPDIR:-/tmp}/brevant-index-test-XXXXXX")
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}

without_time() { grep -av '^# written at: ' "$1"; }

# The drive map of a side: each one-letter folder as its drive, and the
# further entries of the scenario's drives.map.
drive_map() {
    local side=$1 map=$2 drives=""
    for folder in "$side"/*/; do
        local letter
        letter=$(basename "$folder")
        case $letter in [A-Za-z]) drives="$drives;$letter=${folder%/}" ;; esac
    done
    if [ -f "$map" ]; then
        while IFS= read -r line || [ -n "$line" ]; do
            case $line in '' | '#'*) continue ;; esac
            drives="$drives;${line%%=*}=$side/${line#*=}"
        done < "$map"
    fi
    echo "${drives#;}"
}

# The Windows name of a file of a side: its drive letter folder, or the share
# that drives.map ties to that folder.
windows_name() {
    local relative=$1 map=$2 top rest drive
    top=${relative%%/*}
    rest=${relative#*/}
    drive="$top:"
    if [ -f "$map" ]; then
        while IFS= read -r line || [ -n "$line" ]; do
            case $line in '\\'*) [ "${line#*=}" = "$top" ] && drive=${line%%=*} ;; esac
        done < "$map"
    fi
    echo "$drive\\${rest//\//\\}"
}

check_set() {
    local name=$1 drives=$2 map=$3
    local base="$work/$name"
    for side in editor index pristine; do
        mkdir -p "$base/$side"
        cp -R "$drives/." "$base/$side/"
    done
    local module="$bin/Brevant15.arx" load="ARX LOAD Brevant15.arx"
    if [ -d "$base/editor/C/Tarvex/Brevant" ]; then
        for side in editor index; do
            mkdir -p "$base/$side/C/Tarvex/Brevant/bin"
            cp "$bin"/*.arx "$base/$side/C/Tarvex/Brevant/bin/"
        done
        module='C:\Tarvex\Brevant\bin\Brevant15.arx'
        load="ARX LOAD $module"
    fi

    # Every file that is no settings or text file is a drawing.
    local -a drawings=()
    while IFS= read -r relative; do
        drawings+=("$(windows_name "$relative" "$map")")
    done < <(cd "$base/pristine" && find . -type f ! -iname '*.txt' ! -iname '*.lsp' | sed 's|^\./||' | sort)
    [ ${#drawings[@]} -gt 0 ] || { fail "$name: no drawings"; return; }

    {
        echo "$load"
        for drawing in "${drawings[@]}"; do
            echo "OPEN $drawing"
            case $drawing in
                *.dwg) echo "SAVE" ;;
                *) echo "(PellamWriteDwgInfo)" ;;
            esac
            echo "CLOSE"
        done
        echo "QUIT"
    } > "$base/session.scr"
    if ! (cd "$base/editor/C" && BREVANT_DRIVES=$(drive_map "$base/editor" "$map") \
            BREVANT_REGISTRY_DIR="$base/editor/registry" \
            "$bin/brevant-editor" "$base/session.scr") > "$base/editor.out" 2>&1; then
        cat "$base/editor.out"
        fail "$name: the editor session failed"
        return
    fi
    cp -R "$base/editor/registry" "$base/index/registry"

    # The drives' roots, and the drawings that a walk leaves out (no drawing's
    # name) in a list on the standard input.
    local -a roots=()
    for folder in "$base/index"/*/; do
        local top
        top=$(basename "$folder")
        case $top in [A-Za-z]) roots+=("$(windows_name "$top/x" "$map" | sed 's/\\x$/\\/')") ;; esac
    done
    local status=0
    printf '%s\n' "${drawings[@]}" | { grep -iv '\.dwg$' || true; } | (cd "$base/index/C" &&
        BREVANT_DRIVES=$(drive_map "$base/index" "$map") BREVANT_REGISTRY_DIR="$base/index/registry" \
        "$bin/brevant-index" --module "$module" -j 2 "${roots[@]}" - ) > "$base/index.out" 2>&1 || status=$?
    if [ "$status" != 0 ]; then
        cat "$base/index.out"
        fail "$name: brevant-index ended with $status"
    fi

    local count=0
    while IFS= read -r din; do
        count=$((count + 1))
        if [ ! -f "$base/index/$din" ]; then
            fail "$name: brevant-index wrote no $din"
        elif ! diff <(without_time "$base/editor/$din") <(without_time "$base/index/$din") > "$base/diff"; then
            cat "$base/diff"
            fail "$name: $din differs from the editor's"
        fi
        for side in editor index; do
            "$bin/brevant-din" "$base/$side/$din" > "$base/din.out" 2>&1 ||
                { cat "$base/din.out"; fail "$name: brevant-din finds fault with $side's $din"; }
        done
    done < <(cd "$base/editor" && find . -name '*.din' | sed 's|^\./||' | sort)
    local written
    written=$(cd "$base/index" && find . -name '*.din' | wc -l)
    [ "$written" = "$count" ] || fail "$name: brevant-index wrote $written files, the editor $count"
    # Saving under a new name aside, every drawing has its .din.
    [ "$count" -ge "${#drawings[@]}" ] || fail "$name: $count .din files for ${#drawings[@]} drawings"
    if [ -n "$(cd "$base/index" && find . -name '*.his' -o -name '*.lok')" ]; then
        fail "$name: brevant-index wrote a history or a lock"
    fi
    if ! diff -r -x docinfo -x bin -x registry "$base/pristine" "$base/index" > /dev/null; then
        fail "$name: brevant-index changed a drawing"
    fi
    echo "$name: ${#drawings[@]} drawings, $count drawing information files alike"
}

check_set sample "$root/samples/drives" ""
for scenario in "$root"/tests/scenario/*/; do
    if [ -d "$scenario/drives" ] && [ -n "$(cd "$scenario/drives" && find . -type f ! -iname '*.txt' ! -iname '*.lsp')" ]; then
        check_set "$(basename "$scenario")" "$scenario/drives" "$scenario/drives.map"
    fi
done

# --only-stale on the drawing-information drawings indexed above.
base="$work/drawing-information/index"
map="$root/tests/scenario/drawing-information/drives.map"
run_stale() {
    (cd "$base/C" && BREVANT_DRIVES=$(drive_map "$base" "$map") BREVANT_REGISTRY_DIR="$base/registry" \
        "$bin/brevant-index" --only-stale --module 'C:\Tarvex\Brevant\bin\Brevant15.arx' \
        'C:\' 'P:\' '\\srv\jobs')
}
out=$(run_stale)
if grep -qE '^(written|unchanged) ' <<<"$out" || ! grep -qE '^ +9 +0 +0 +9 +0 ' <<<"$out"; then
    echo "$out"
    fail "a second run with --only-stale wrote files"
fi
touch "$base/C/Jobs/B200/ProjectSettings.txt"
out=$(run_stale)
if [ "$(grep -E '^(written|unchanged) ' <<<"$out")" != 'unchanged  C:\Jobs\B200\tb-domain.dwg' ]; then
    echo "$out"
    fail "after B200's settings changed, not only its drawing was written"
fi
[ "$failed" = 0 ] && echo "every drawing information file of brevant-index is the editor's"
exit $failed
