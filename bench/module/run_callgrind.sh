#!/usr/bin/env bash
# The module's work per save against the editor's own save, in instructions
# (valgrind's callgrind), which unlike wall time do not depend on what else
# the machine is doing. Each benchmark runs under callgrind collecting only
# inside its own function; the instructions are divided by the number of
# times that function called the work it measures (saveAs, build), which
# counts Google Benchmark's trial runs too. Also prints, for the module's
# work, how much of it is spent in the host's calls.
# Usage: bench/module/run_callgrind.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/scripts/setup.sh" --profile
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVANT_BUILD_TESTS=OFF \
    -DBREVANT_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target module-save-bench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for name in EditorSave ModuleWork; do
    valgrind --tool=callgrind --callgrind-out-file="$work/$name.out" \
        --toggle-collect="*$name*" "$build/bin/module-save-bench" \
        --benchmark_filter="^$name" >/dev/null 2>"$work/$name.log"
done
python3 - "$work" <<'PY'
import re, sys

def read(path):
    """Total instructions; calls from each function to each other; the
    instructions of calls that go from the benchmark program into the host."""
    names, objects = {}, {}
    fn = cfn = ob = cob = None
    calls, into_host, total = {}, 0, 0
    pending = False
    for line in open(path, errors="replace"):
        m = re.match(r"(ob|cob|fn|cfn)=\((\d+)\)(?: (.*))?", line)
        if m:
            kind, key, text = m.groups()
            table = objects if kind in ("ob", "cob") else names
            if text:
                table[key] = text.strip()
            if kind == "ob":
                ob, cob = table[key], None
            elif kind == "cob":
                cob = table[key]
            elif kind == "fn":
                fn, cob = table[key], None
            else:
                cfn = table[key]
            continue
        if line.startswith("calls="):
            count = int(line.split()[0][6:])
            calls[(fn, cfn)] = calls.get((fn, cfn), 0) + count
            pending = True
            continue
        if pending:
            pending = False
            callee = cob or ob
            if "module-save-bench" in (ob or "") and "brevant_host" in (callee or ""):
                into_host += int(line.split()[1])
            cob = None
        elif line.startswith("summary:") or line.startswith("totals:"):
            total = int(line.split()[1])
    return total, calls, into_host

def per_call(name, work_pattern):
    total, calls, into_host = read("%s/%s.out" % (sys.argv[1], name))
    n = sum(c for (caller, callee), c in calls.items()
            if caller and name in caller and callee and re.search(work_pattern, callee))
    return total / n, into_host / n, n

save, _, saves = per_call("EditorSave", r"AcDbDatabase::saveAs")
module, host, builds = per_call("ModuleWork", r"CDrawingInformation::build\(\)")
print("editor's save: %.1f M instructions (%d saves); the module's work: %.1f M (%d builds), "
      "%.1f M of it in the host's calls" % (save / 1e6, saves, module / 1e6, builds, host / 1e6))
print("the module adds %.1f %% to the save in instructions" % (100 * module / save))
PY
