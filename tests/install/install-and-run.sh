#!/usr/bin/env bash
# The Debian package, installed into a temporary root, works from there: cpack
# makes the package of the build; unpacked with dpkg-deb it holds every
# program with its man page, the module and its companion module beside the
# shared libraries, and the standard settings; the installed editor runs the
# sample session with the installed module, loaded by its name, and prints
# what the build's own editor and module print for the same session; the
# installed brevant-index, given no module, takes the installed one and writes
# for the session's drawings what the installed editor wrote.
#
# Usage: install-and-run.sh <cpack> <build folder> <source folder>
set -euo pipefail
cpack=$1
build=$(cd "$2" && pwd)
source=$(cd "$3" && pwd)
for variable in $(compgen -e); do
    case $variable in BREVANT_*) unset "$variable" ;; esac
done
work=$(mktemp -d "${TMPDIR:-/tmp}/brevant-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "$*"
    failed=1
}

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" > "$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; exit 1; }
packages=("$work"/package/brevant_*.deb)
[ ${#packages[@]} = 1 ] && [ -f "${packages[0]}" ] || { echo "cpack made no package"; exit 1; }
package=${packages[0]}
dpkg-deb --field "$package" Package | grep -qx brevant || fail "the package is not named brevant"
dpkg-deb --field "$package" Depends | grep -q libedit || fail "the package does not depend on libedit"

root="$work/root"
dpkg-deb -x "$package" "$root"
prefix="$root/usr"
for file in lib/brevant/bin/Brevant15.arx lib/brevant/bin/TarvexMDITabs15.arx \
            lib/brevant/support/StandardSettings.txt; do
    [ -f "$prefix/$file" ] || fail "the package lacks $file"
done
for program in "$prefix"/bin/*; do
    name=$(basename "$program")
    [ -f "$prefix/share/man/man1/$name.1.gz" ] || fail "$name has no man page"
    "$program" --version | grep -q "^$name (Brevant) " || fail "the installed $name has no version"
done
[ -x "$prefix/bin/brevant-editor" ] || { fail "the package lacks brevant-editor"; exit 1; }

export BREVANT_CLOCK="2026-12-04 10:00"
export BREVANT_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$work/runtime"
session="$source/samples/session.scr"
run() {  # <program folder> <run folder> <output>
    local status=0
    bash "$source/samples/run-session.sh" --run-folder "$2" "$1" "$session" > "$3" \
        2> "$3.err" || status=$?
    [ $status = 0 ] || fail "the sample session with $1 ended with status $status: $(cat "$3.err")"
}
run "$prefix/bin" "$work/installed-run" "$work/installed.txt"
run "$build/bin" "$work/build-run" "$work/build.txt"
grep -q "^Brevant15.arx successfully loaded.$" "$work/installed.txt" \
    || fail "the installed editor did not load the installed module by its name"
if ! diff -u "$work/build.txt" "$work/installed.txt"; then
    fail "the installed session printed otherwise than the build's (above: - build, + installed)"
fi

installed_run="$work/installed-run"
status=0
(cd "$installed_run" && BREVANT_DRIVES="C=$installed_run/C" \
    BREVANT_REGISTRY_DIR="$installed_run/registry" "$prefix/bin/brevant-index" -j 2 \
    'C:\Jobs\A100\plan02.dwg' 'C:\Jobs\A100\sketches\sketch01.dwg') \
    > "$work/index.txt" 2>&1 || status=$?
[ $status = 0 ] && [ "$(grep -c '^unchanged ' "$work/index.txt")" = 2 ] \
    || fail "the installed brevant-index (status $status) did not write what the installed editor wrote: $(cat "$work/index.txt")"
exit $failed
