#!/usr/bin/env bash
# Loads and saves generated drawings of about 1, 20 and 100 MB with the
# editor's drawing store (dxf-resave) and times python3-ezdxf reading the same
# files; each drawing is measured as text DXF and again as binary DXF (the
# same tags). Prints one line per file: sizes, times, peak memory and the
# ratios.
#   bench/dxf/run_bench.sh BIN_DIR [SIZES_MB...]
set -euo pipefail
bin=$(cd "$1" && pwd)
shift
sizes=("${@:-1 20 100}")
[ $# -gt 0 ] || sizes=(1 20 100)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/dxf-resave" --make "$work/template.dxf"
printf '%-8s %10s %8s %8s %10s %8s %10s %9s %9s\n' size bytes load_s save_s peak_MB mem_x ezdxf_s ezdxf_MB load_x
measure() {
    local label=$1 f=$2
    ours=$("$bin/dxf-resave" "$f" "$work/out.dxf")
    peer=$(/usr/bin/python3 - "$f" <<'PY'
import resource, sys, time
import ezdxf
t = time.perf_counter()
ezdxf.readfile(sys.argv[1])
t = time.perf_counter() - t
print("%.3f %d" % (t, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss))
PY
)
    /usr/bin/python3 - "$label" "$ours" "$peer" <<'PY'
import json, sys
mb, ours, peer = sys.argv[1], json.loads(sys.argv[2]), sys.argv[3].split()
pt, pm = float(peer[0]), int(peer[1]) / 1024
size = ours["bytes"]
peak = ours["peak_rss_kb"] / 1024
print("%-8s %10d %8.3f %8.3f %10.1f %8.2f %10.2f %9.1f %9.1f" % (
    mb, size, ours["load_s"], ours["save_s"], peak, peak * 1024 * 1024 / size, pt, pm,
    pt / max(ours["load_s"], 1e-6)))
PY
}
for mb in "${sizes[@]}"; do
    f="$work/gen_${mb}mb.dxf"
    /usr/bin/python3 "$here/gen_dxf.py" "$work/template.dxf" "$mb" "$f"
    measure "${mb}MB" "$f"
    /usr/bin/python3 "$here/to_binary_dxf.py" "$f" "$work/gen_${mb}mb_bin.dxf"
    rm -f "$f"
    measure "${mb}MB-bin" "$work/gen_${mb}mb_bin.dxf"
    rm -f "$work/gen_${mb}mb_bin.dxf"
done
