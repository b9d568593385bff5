#!/usr/bin/env bash
# Builds the editor and the module, then runs the sample session: the editor
# loads Brevant15.arx, works on the sample project's drawings and quits.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBREVANT_BUILD_TESTS=OFF -DBREVANT_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target brevant-editor Brevant15 brevant-listen

exec "$root/samples/run-session.sh" "$build/bin" "$root/samples/session.scr"
