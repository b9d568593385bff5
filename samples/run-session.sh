#!/usr/bin/env bash
# Runs a session script in the editor on a fresh copy of the sample project.
# The copy's folder stands for drive C:, so the script uses Windows paths such
# as C:\Jobs\A100\plan01.dwg; its registry lives beside it. The editor and the
# module are installed on it as on a workstation, in C:\Tarvex\Brevant\bin\,
# so that the module finds its standard settings in C:\Tarvex\Brevant\support\
# and the office's domain settings in C:\Tarvex\DomainSettings\.
# Usage: run-session.sh <folder of brevant-editor and Brevant15.arx> <script>
set -euo pipefail
bin=$(cd "$1" && pwd)
script=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
here=$(cd "$(dirname "$0")" && pwd)
run="$bin/../sample-run"
rm -rf "$run"
mkdir -p "$run"
cp -R "$here/drives/C" "$run/C"
install="$run/C/Tarvex/Brevant/bin"
mkdir -p "$install"
cp -R "$bin/." "$install/"

export BREVANT_DRIVES="C=$run/C"
export BREVANT_REGISTRY_DIR="$run/registry"
export BREVANT_CLOCK="${BREVANT_CLOCK:-}"
cd "$run"
exec "$install/brevant-editor" "$script"
