#!/usr/bin/env bash
# Builds the libFuzzer programs (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, every target's library instrumented) and runs
# them in turn, each for MINUTES of CPU time, then prints a table: target, CPU
# minutes, executions, executions per second, coverage points at the start and
# at the end, crashes and hangs.
#
#   fuzz/run.sh MINUTES [TARGET...]     (all targets when none is named)
#
# Each target works in <build>/work/<target>: the inputs it finds in corpus/
# (kept from run to run, so a later run starts where the last one ended), its
# log in fuzz.log, and whatever broke it as crash-*, leak-*, oom-* or
# timeout-* (an input that runs longer than ten seconds is a hang). A crash
# or a hang stops that target's run. Copy such an input into the target's
# corpus folder in the source tree once it is fixed: the tests feed it
# through the target from then on.
#
# Settings: BREVANT_FUZZ_BUILD (the build folder, default build/fuzz),
# BREVANT_FUZZ_JOBS (build jobs, default 2). Run it under nice on a shared
# machine: nice -n 19 fuzz/run.sh 30
set -euo pipefail

usage() {
    echo "usage: fuzz/run.sh MINUTES [TARGET...]" >&2
    exit 2
}
[ $# -ge 1 ] || usage
minutes=$1
shift
[[ "$minutes" =~ ^[0-9]+([.][0-9]+)?$ ]] || usage

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BREVANT_FUZZ_BUILD:-$root/build/fuzz}
jobs=${BREVANT_FUZZ_JOBS:-2}
"$root/scripts/setup.sh" --fuzz
for tool in clang clang++; do
    command -v "$tool" >/dev/null || {
        echo "fuzz/run.sh: $tool is missing (scripts/setup.sh --fuzz installs it)" >&2
        exit 1
    }
done

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_FLAGS=-O1 -DCMAKE_CXX_FLAGS=-O1 -DBREVANT_SANITIZE=ON \
    -DBREVANT_BUILD_FUZZ=ON -DBREVANT_BUILD_TESTS=OFF -DBREVANT_BUILD_BENCH=OFF >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for description in "$build"/fuzz-targets/*; do
        targets+=("$(basename "$description")")
    done
fi
for target in "${targets[@]}"; do
    [ -f "$build/fuzz-targets/$target" ] || {
        echo "fuzz/run.sh: no fuzz target $target" >&2
        exit 2
    }
done
cmake --build "$build" -j "$jobs" --target "${targets[@]/#/fuzz-}"

ticks=$(getconf CLK_TCK)
limit=$(awk -v m="$minutes" 'BEGIN { printf "%d", m * 60 }')

# The CPU seconds a process has used, user and system.
cpu_seconds() {
    awk -v t="$ticks" '{ sub(/.*\) /, ""); printf "%d", ($12 + $13) / t }' "/proc/$1/stat" \
        2>/dev/null || echo 0
}

rows=()
failed=0
for target in "${targets[@]}"; do
    work="$build/work/$target"
    mkdir -p "$work/corpus"
    seeds=()
    options=()
    while read -r kind value; do
        case $kind in
            seed) seeds+=("$value") ;;
            option) options+=("$value") ;;
        esac
    done <"$build/fuzz-targets/$target"
    touch "$work/.started"

    echo "== fuzz-$target: $minutes CPU minutes"
    # Harnesses that need a file of their own make it in TMPDIR; an
    # interrupted fuzzer ends without removing it, so it is made here.
    TMPDIR="$work" "$build/bin/fuzz-$target" "${options[@]}" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/" \
        "$work/corpus" "${seeds[@]}" >"$work/fuzz.log" 2>&1 &
    pid=$!
    used=0
    while kill -0 "$pid" 2>/dev/null; do
        used=$(cpu_seconds "$pid")
        if [ "$used" -ge "$limit" ]; then
            kill -INT "$pid" 2>/dev/null || true
            break
        fi
        sleep 2
    done
    wait "$pid" || true
    rm -f "$work"/brevant-fuzz-*

    log="$work/fuzz.log"
    cov_start=$(grep -m1 -o 'INITED cov: [0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    cov_end=$(grep -o ' cov: [0-9]*' "$log" | tail -n1 | grep -o '[0-9]*$' || echo "$cov_start")
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    rate=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    crashes=$(find "$work" -maxdepth 1 -newer "$work/.started" \( -name 'crash-*' \
        -o -name 'leak-*' -o -name 'oom-*' \) | wc -l)
    hangs=$(find "$work" -maxdepth 1 -newer "$work/.started" -name 'timeout-*' | wc -l)
    if ! grep -q 'INITED' "$log"; then
        failed=1
        echo "   did not start, see $log"
    elif [ $((crashes + hangs)) -gt 0 ]; then
        failed=1
        echo "   broken, see $log:"
        find "$work" -maxdepth 1 -newer "$work/.started" \( -name 'crash-*' -o -name 'leak-*' \
            -o -name 'oom-*' -o -name 'timeout-*' \) | sed 's/^/   /'
    fi
    rows+=("$(printf '%-9s %7.1f %12s %8s %9s %9s %8s %6s' "$target" \
        "$(awk -v s="$used" 'BEGIN { print s / 60 }')" "$runs" "$rate" "$cov_start" \
        "$cov_end" "$crashes" "$hangs")")
done

{
    printf '%-9s %7s %12s %8s %9s %9s %8s %6s\n' target "CPU min" executions "exec/s" \
        "cov start" "cov end" crashes hangs
    printf '%s\n' "${rows[@]}"
} | tee "$build/work/table.txt"
exit $failed
