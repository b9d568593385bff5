#!/usr/bin/env bash
# Scaling past one machine with GNU parallel: the unit of work is a list of
# drawing files, so parallel cuts the archive's list into pieces and runs one
# brevant-index per piece on each login it is given. Here the logins are two
# job slots on this machine (--sshlogin 2/:); on a network they are the
# machines that see the same share, for example
#   --sshlogin 4/ann@cad1,4/ann@cad2 --env BREVANT_DRIVES --env BREVANT_REGISTRY_DIR
# (brevant-index must be installed on each). The demonstration indexes a
# generated archive once with one brevant-index over the whole list and once
# through GNU parallel, prints both times, and checks that both wrote the same
# drawing information files.
#
# Usage: bench/archive/parallel_demo.sh [--drawings M] [--projects N] [--scale F]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
drawings=200
projects=8
scale=0.2
while [ $# -gt 0 ]; do
    case $1 in
        --drawings) drawings=$2; shift 2 ;;
        --projects) projects=$2; shift 2 ;;
        --scale) scale=$2; shift 2 ;;
        *) echo "usage: $0 [--drawings M] [--projects N] [--scale F]" >&2; exit 2 ;;
    esac
done
command -v parallel > /dev/null || { echo "GNU parallel is missing: scripts/setup.sh" >&2; exit 2; }

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVANT_BUILD_TESTS=OFF \
    -DBREVANT_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target brevant-index Brevant15 >/dev/null
bin="$build/bin"
work=$(mktemp -d "${TMPDIR:-/tmp}/brevant-parallel-XXXXXX")
trap 'rm -rf "$work"' EXIT
for variable in $(compgen -e); do
    case $variable in BREVANT_*) unset "$variable" ;; esac
done
export BREVANT_DRIVES="C=$work/C"
export BREVANT_REGISTRY_DIR="$work/registry"
/usr/bin/python3 "$root/bench/archive/make_archive.py" "$work" --projects "$projects" \
    --drawings "$drawings" --scale "$scale"
mkdir -p "$work/C/Tarvex/Brevant/bin"
cp "$bin"/*.arx "$work/C/Tarvex/Brevant/bin/"
module='C:\Tarvex\Brevant\bin\Brevant15.arx'
piece=$(( (drawings + 7) / 8 ))

clear_dins() { find "$work/C/Jobs" -type d -name docinfo -prune -exec rm -rf {} +; }
seconds() { awk -v start="$1" -v now="$(date +%s.%N)" 'BEGIN { print now - start }'; }

start=$(date +%s.%N)
"$bin/brevant-index" -j 1 --module "$module" --files-from "$work/drawings.txt" > /dev/null
one=$(seconds "$start")
mkdir "$work/one"
(cd "$work/C/Jobs" && find . -name '*.din' -exec cp --parents {} "$work/one/" \;)
clear_dins

start=$(date +%s.%N)
parallel --sshlogin 2/: --pipe -N "$piece" "$bin/brevant-index" -j 1 --module "'$module'" \
    --files-from - < "$work/drawings.txt" > "$work/parallel.out"
two=$(seconds "$start")

different=0
while IFS= read -r din; do
    cmp -s <(grep -av '^# written at: ' "$work/one/$din") \
        <(grep -av '^# written at: ' "$work/C/Jobs/$din") || different=$((different + 1))
done < <(cd "$work/one" && find . -name '*.din')
written=$(cd "$work/C/Jobs" && find . -name '*.din' | wc -l)
printf 'one brevant-index over %d drawings: %.2f s\n' "$drawings" "$one"
printf 'GNU parallel, two job slots, pieces of %d drawings: %.2f s (%.2f times as fast)\n' \
    "$piece" "$two" "$(awk -v a="$one" -v b="$two" 'BEGIN { print a / b }')"
echo "files written through GNU parallel: $written; different from the single run's: $different"
[ "$written" = "$drawings" ] && [ "$different" = 0 ]
