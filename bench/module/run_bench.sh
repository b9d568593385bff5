#!/usr/bin/env bash
# Builds the release benchmark of the module's work per save and prints what
# the module adds to the editor's own save of the same large drawing.
# Usage: bench/module/run_bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVANT_BUILD_TESTS=OFF \
    -DBREVANT_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target module-save-bench >/dev/null
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$build/bin/module-save-bench" --benchmark_format=json --benchmark_out="$out" \
    --benchmark_out_format=json >/dev/null
python3 - "$out" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]}
save, module = runs["EditorSave"], runs["ModuleWork"]
print(f"editor's save: {save:.1f} ms; the module's work: {module:.1f} ms; "
      f"the module adds {100 * module / save:.1f} % to the save")
PY
