#!/usr/bin/env bash
# Indexes a generated archive (by default 1,000 drawings in 25 projects, about
# 500 MB: most drawings under 1 MB, a few of 30 MB) with brevant-index, first
# with one worker and then with two, and extracts the same facts from the same
# files with python3-ezdxf (ezdxf_extract.py). Prints, for each run, the time,
# the throughput and the peak memory per worker, and the figures the tool is
# held to: at least 50 times the peer's throughput with one worker, at least
# 1.8 times that with two workers, and peak memory per worker at most 3 times
# the largest drawing.
#
# Usage: bench/archive/run_bench.sh [--drawings M] [--projects N] [--scale F]
#                                    [--work DIR] [--keep]
# It builds the release programs into build/release. The archive is made in a
# temporary folder (or DIR) and removed at the end unless --keep is given.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here="$root/bench/archive"
drawings=1000
projects=25
scale=1
work=""
keep=0
while [ $# -gt 0 ]; do
    case $1 in
        --drawings) drawings=$2; shift 2 ;;
        --projects) projects=$2; shift 2 ;;
        --scale) scale=$2; shift 2 ;;
        --work) work=$2; shift 2 ;;
        --keep) keep=1; shift ;;
        *) echo "usage: $0 [--drawings M] [--projects N] [--scale F] [--work DIR] [--keep]" >&2
           exit 2 ;;
    esac
done

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVANT_BUILD_TESTS=OFF \
    -DBREVANT_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target brevant-index Brevant15 >/dev/null
bin="$build/bin"

if [ -z "$work" ]; then
    work=$(mktemp -d "${TMPDIR:-/tmp}/brevant-archive-XXXXXX")
fi
if [ "$keep" != 1 ]; then
    trap 'rm -rf "$work"' EXIT
fi
for variable in $(compgen -e); do
    case $variable in BREVANT_*) unset "$variable" ;; esac
done
export BREVANT_DRIVES="C=$work/C"
export BREVANT_REGISTRY_DIR="$work/registry"

echo "making the archive in $work ..." >&2
rm -rf "$work/C"
/usr/bin/python3 "$here/make_archive.py" "$work" --projects "$projects" --drawings "$drawings" \
    --scale "$scale"
mkdir -p "$work/C/Tarvex/Brevant/bin"
cp "$bin"/*.arx "$work/C/Tarvex/Brevant/bin/"
module='C:\Tarvex\Brevant\bin\Brevant15.arx'
find "$work/C/Jobs" -name '*.dwg' | sort > "$work/native.txt"
total_bytes=$(xargs -d '\n' stat -c %s < "$work/native.txt" | awk '{s += $1} END {print s}')
largest=$(xargs -d '\n' stat -c %s < "$work/native.txt" | sort -n | tail -1)

# One run of brevant-index: wall seconds, CPU seconds (the workers' included)
# and peak memory per worker (MB).
index_run() {
    find "$work/C/Jobs" -type d -name docinfo -prune -exec rm -rf {} +
    local out
    out=$(/usr/bin/time -f 'TIME %e %U %S' "$bin/brevant-index" -j "$1" --module "$module" \
        'C:\Jobs' 2>&1)
    if ! grep -q "^ *$drawings *$drawings " <<<"$out"; then
        echo "$out" | tail -5 >&2
        echo "brevant-index did not write every drawing" >&2
        exit 1
    fi
    local peak
    peak=$(sed -n 's/.*peak memory per worker \([0-9.]*\) MB.*/\1/p' <<<"$out")
    awk -v peak="$peak" '/^TIME / {print $2, $3 + $4, peak}' <<<"$out"
}

echo "load before the runs: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores" >&2
echo "brevant-index, one worker ..." >&2
read -r t1 c1 m1 < <(index_run 1)
echo "brevant-index, two workers ..." >&2
read -r t2 c2 m2 < <(index_run 2)
echo "python3-ezdxf ..." >&2
read -r tp cp < <(/usr/bin/time -f 'TIME %e %U %S' /usr/bin/python3 "$here/ezdxf_extract.py" \
    "$work/C" "$work/native.txt" "$work/peer.jsonl" 2>&1 | awk '/^TIME / {print $2, $3 + $4}')

/usr/bin/python3 - "$drawings" "$total_bytes" "$largest" "$t1" "$c1" "$m1" "$t2" "$c2" "$m2" \
    "$tp" "$cp" <<'PY'
import sys
n, total, largest = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
t1, c1, m1, t2, c2, m2, tp, cp = (float(v) for v in sys.argv[4:12])
mb = total / 1e6
print("archive: %d drawings, %.1f MB, largest %.1f MB" % (n, mb, largest / 1e6))
print("%-20s %8s %8s %9s %11s %14s" % ("run", "wall s", "CPU s", "MB/s", "drawings/s",
                                      "peak MB/worker"))
for name, t, c, m in (("brevant-index -j 1", t1, c1, m1), ("brevant-index -j 2", t2, c2, m2),
                      ("python3-ezdxf", tp, cp, None)):
    print("%-20s %8.2f %8.2f %9.1f %11.1f %14s" % (name, t, c, mb / t, n / t,
                                                  "%.1f" % m if m is not None else "-"))
one, one_cpu, two = tp / t1, cp / c1, t1 / t2
memory = max(m1, m2) * 1024 * 1024 / largest
print("one worker: %.0f times the peer's throughput by the clock, %.0f by CPU time "
      "(goal: 50 or more)" % (one, one_cpu))
print("two workers: %.2f times one worker by the clock (goal: 1.8 or more; needs two idle cores)"
      % two)
print("peak memory per worker: %.2f times the largest drawing (goal: 3 or less)" % memory)
PY
