#!/usr/bin/env bash
# Proves brevant-din: the preview section the module writes for each of the
# six release-15 sample drawings (one has none), its PNG picture read back by
# a PNG reader with the bitmap's width and height, and its bitmap file; a
# drawing information file with that preview shown, checked, sectioned and
# given as JSON; and a file cut short, a file that is no drawing information
# file, a missing file and a wrong option, each with its status.
# (index-matches-editor.sh runs brevant-din on every .din the editor and
# brevant-index write.)
#
# Usage: din.sh <folder of brevant-din>
set -euo pipefail
bin=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
for variable in $(compgen -e); do
    case $variable in BREVANT_*) unset "$variable" ;; esac
done
work=$(mktemp -d "${TMPDIR:-/tmp}/brevant-din-test-XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}
din() { "$bin/brevant-din" "$@"; }

# A PNG reader: signature, chunk checksums, the header's size and depth, and
# the image data inflated to exactly one filter byte and 3 bytes a pixel per
# row. Prints "<width> <height>".
cat > "$work/pngsize.py" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "no PNG signature"
at, idat, header = 8, b"", None
while at < len(data):
    length, kind = struct.unpack(">I4s", data[at:at + 8])
    body = data[at + 8:at + 8 + length]
    crc, = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
    assert zlib.crc32(kind + body) == crc, "bad checksum"
    if kind == b"IHDR":
        header = struct.unpack(">IIBBBBB", body)
    elif kind == b"IDAT":
        idat += body
    at += 12 + length
width, height, depth, colour = header[:4]
assert (depth, colour) == (8, 2), "not 8-bit RGB"
assert len(zlib.decompress(idat)) == height * (1 + 3 * width), "wrong amount of image data"
print(width, height)
PY

# The six samples: the size of each preview's bitmap and its picture.
while read -r file size width height; do
    drawing="$root/tests/data/dwg/$file"
    status=0
    din --preview "$drawing" --thumbnail "$work/$file.png" > "$work/$file.section" \
        2> "$work/$file.err" || status=$?
    if [ "$size" = none ]; then
        [ "$status" = 1 ] && grep -q 'holds no preview' "$work/$file.err" ||
            fail "$file: a drawing without preview gave status $status"
        continue
    fi
    [ "$status" = 0 ] || { cat "$work/$file.err"; fail "$file: status $status"; continue; }
    grep -q "^.SIZE $size"$'\r'"$" "$work/$file.section" || fail "$file: .SIZE is not $size"
    [ "$(/usr/bin/python3 "$work/pngsize.py" "$work/$file.png")" = "$width $height" ] ||
        fail "$file: the picture is not $width x $height"
    din --preview "$drawing" --thumbnail "$work/$file.bmp" > /dev/null
    [ "$(head -c 2 "$work/$file.bmp")" = BM ] && [ "$(stat -c %s "$work/$file.bmp")" = $((size + 14)) ] ||
        fail "$file: the bitmap file is not the preview's $size bytes and its header"
done <<'EOF'
libredwg_example_2000.dwg 24248 184 126
libredwg_2000_TS1.dwg 17264 180 90
libredwg_2000_entities-2d.dwg 17624 180 92
libredwg_2000_PolyLine2D.dwg none
ezdxf_807_1.dwg 407080 512 265
acadsharp_sample_AC1015.dwg 13208 184 66
EOF

# A drawing information file with a preview: the scenario's, with the
# preview of a sample appended as the module appends it.
cp "$root/tests/scenario/drawing-information/expected-files/C/Jobs/A100/sheets/docinfo/tb-project-dwg.din" \
    "$work/plain.din"
cat "$work/plain.din" "$work/libredwg_2000_TS1.dwg.section" > "$work/full.din"
din "$work/full.din" > "$work/full.out" || { cat "$work/full.out"; fail "full.din: status"; }
for text in 'DWGTITLE2   Sections  A-A and B-B' '[GREV] 6 revision marks' \
    'site plan -> C:\Jobs\A100\xrefs\site plan.dwg' \
    '[DWGTHUMBNAIL] .SIZE 17264, BASE64, 17278 bytes decoded, 180 x 90 pixels, 8 bits per pixel' \
    'Check        no problems'; do
    grep -qF "$text" "$work/full.out" || { cat "$work/full.out"; fail "full.din does not show: $text"; }
done
[ "$(din --section layer "$work/full.din")" = $'[LAYER] 4\n  0\n  Z010LX000\n  hatch\tfill\n  road edge' ] ||
    fail "--section LAYER"
din --json "$work/full.din" | /usr/bin/python3 -c '
import json, sys
d = json.load(sys.stdin)
assert d["general"]["DWGNUMBER"] == "A100 102"
assert d["revisions"][0]["fields"]["REV"] == "B"
assert d["xrefs"][2] == {"name": "old\tone", "path": "old.dwg", "referenced": False}
assert d["thumbnail"]["width"] == 180 and d["thumbnail"]["bytes"] == 17278
assert d["problems"] == []
' || fail "--json"
din "$work/full.din" --thumbnail "$work/full.png" > /dev/null
[ "$(/usr/bin/python3 "$work/pngsize.py" "$work/full.png")" = "180 90" ] || fail "full.din's picture"

# Faults.
head -c 20000 "$work/full.din" > "$work/cut.din"
status=0
din "$work/cut.din" > "$work/cut.out" 2>&1 || status=$?
[ "$status" = 1 ] && grep -q 'is not closed: the file ends before END DWGTHUMBNAIL' "$work/cut.out" ||
    { cat "$work/cut.out"; fail "a file cut short: status $status"; }
status=0
din "$work/libredwg_2000_TS1.dwg.png" > /dev/null 2> "$work/png.err" || status=$?
[ "$status" = 1 ] && grep -q 'not a drawing information file' "$work/png.err" ||
    fail "a picture read as a drawing information file: status $status"
status=0
din "$work/none.din" > /dev/null 2>&1 || status=$?
[ "$status" = 1 ] || fail "a missing file: status $status"
status=0
din "$work/plain.din" --thumbnail "$work/none.png" > /dev/null 2> "$work/none.err" || status=$?
[ "$status" = 1 ] && grep -q 'there is no preview' "$work/none.err" && [ ! -e "$work/none.png" ] ||
    fail "a picture asked of a file without preview: status $status"
for arguments in "--section NOPE $work/plain.din" "--bogus" "" "$work/plain.din $work/full.din"; do
    status=0
    # shellcheck disable=SC2086
    din $arguments > /dev/null 2>&1 || status=$?
    [ "$status" = 2 ] || fail "brevant-din $arguments: status $status, not 2"
done
[ "$failed" = 0 ] && echo "previews, pictures, sections and faults: as expected"
exit $failed
