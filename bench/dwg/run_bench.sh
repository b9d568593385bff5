#!/usr/bin/env bash
# Loads each binary sample drawing into the editor's drawing store (dwg-load)
# and, where the sample has a DXF version, that version too. Prints one line
# per file: size, the best load time of several runs, the peak memory and
# both per megabyte of file. "extra" is the peak above that of a process that
# loads an empty drawing, which is what the drawing itself costs.
#   bench/dwg/run_bench.sh BIN_DIR [DATA_DIR] [RUNS]
# Build BIN_DIR without sanitizers (CMAKE_BUILD_TYPE=Release) for figures.
set -euo pipefail
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
data=${2:-$here/../../tests/data}
runs=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '  0\r\nEOF\r\n' > "$work/empty.dxf"

measure() {  # best time and peak of RUNS loads, as "bytes seconds peak_kb"
    local best="" peak=0 bytes=0
    for _ in $(seq "$runs"); do
        read -r bytes s kb < <("$bin/dwg-load" "$1" | /usr/bin/python3 -c \
            'import json,sys; d=json.load(sys.stdin); print(d["bytes"], d["load_s"], d["peak_rss_kb"])')
        if [ -z "$best" ] || /usr/bin/python3 -c "import sys; sys.exit(not $s < $best)"; then best=$s; fi
        [ "$kb" -gt "$peak" ] && peak=$kb
    done
    echo "$bytes $best $peak"
}

read -r _ _ base < <(measure "$work/empty.dxf")
printf '%-34s %-4s %10s %8s %9s %8s %10s %10s\n' file kind bytes load_s s_per_MB peak_MB extra_MB MB_per_MB
for dwg in "$data"/dwg/*.dwg; do
    name=$(basename "$dwg" .dwg)
    for f in "$dwg" "$data/dxf/$name.dxf"; do
        [ -f "$f" ] || continue
        read -r bytes s kb < <(measure "$f")
        /usr/bin/python3 - "$name" "${f##*.}" "$bytes" "$s" "$kb" "$base" <<'PY'
import sys
name, kind, size, s, kb, base = sys.argv[1], sys.argv[2], int(sys.argv[3]), float(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6])
mb = size / (1024 * 1024)
extra = (kb - base) / 1024
print("%-34s %-4s %10d %8.4f %9.4f %8.1f %10.1f %10.2f" % (name, kind, size, s, s / mb, kb / 1024, extra, extra / mb))
PY
    done
done
