#!/usr/bin/env bash
# Runs a session script in the editor on a fresh copy of the sample project.
# The copy's folder stands for drive C:, so the script uses Windows paths such
# as C:\Jobs\A100\plan01.dwg; its registry lives beside it.
#
# The program folder holds brevant-editor, either
# - beside Brevant15.arx (the build's bin folder): the editor and the module
#   are installed on the copy as on a workstation, in C:\Tarvex\Brevant\bin\
#   with the standard settings of app/support in C:\Tarvex\Brevant\support\,
#   so that the module finds the office's domain settings beside them, in
#   C:\Tarvex\DomainSettings\;
# - or in an installation (<prefix>/bin, the module in <prefix>/lib/brevant/
#   bin): the installed editor runs from there and loads the installed module
#   by its name, and the user's registry names C:\Tarvex\DomainSettings\ as
#   the office's domain settings folder, as an administrator sets it.
#
# The run folder is made afresh: by default sample-project beside the build's
# bin folder, or a new temporary folder for an installation. A folder that is
# there already is replaced only when an earlier run made it (it holds the
# mark .brevant-sample-run); any other is left alone and the run refused.
set -euo pipefail

usage() {
    cat <<'EOF'
usage: run-session.sh [--run-folder FOLDER] <program folder> <script>
  <program folder>  the folder of brevant-editor: the build's bin folder, or
                    <prefix>/bin of an installation
  <script>          the session script to run, such as samples/session.scr
  --run-folder      where the copy of the sample project goes
Exit status: the editor's (0 every line ran, 1 a line failed, 2 it could not
run the script); 2 also for a wrong argument or a run folder it did not make.
EOF
}

problem() {
    echo "run-session.sh: $1" >&2
    usage >&2
    exit 2
}

run=""
arguments=()
while [ $# -gt 0 ]; do
    case $1 in
        -h | --help) usage; exit 0 ;;
        --run-folder)
            [ $# -ge 2 ] && [ -n "$2" ] || problem "--run-folder needs a folder"
            run=$2
            shift 2
            ;;
        --) shift; arguments+=("$@"); break ;;
        -*) problem "unknown option \"$1\"" ;;
        *) arguments+=("$1"); shift ;;
    esac
done
[ ${#arguments[@]} -eq 2 ] || problem "give the program folder and the script"
[ -d "${arguments[0]}" ] || problem "no folder ${arguments[0]}"
bin=$(cd "${arguments[0]}" && pwd)
[ -x "$bin/brevant-editor" ] || problem "no brevant-editor in $bin"
[ -f "${arguments[1]}" ] || problem "no script ${arguments[1]}"
script=$(cd "$(dirname "${arguments[1]}")" && pwd)/$(basename "${arguments[1]}")
here=$(cd "$(dirname "$0")" && pwd)

if [ -f "$bin/Brevant15.arx" ]; then
    layout=build
    run=${run:-$bin/../sample-project}
elif [ -f "$bin/../lib/brevant/bin/Brevant15.arx" ]; then
    layout=installed
    run=${run:-$(mktemp -d "${TMPDIR:-/tmp}/brevant-sample-run-XXXXXX")}
else
    problem "no Brevant15.arx beside $bin/brevant-editor or in $bin/../lib/brevant/bin"
fi

mark=.brevant-sample-run
if [ -e "$run" ] && [ -n "$(ls -A "$run")" ]; then
    [ -f "$run/$mark" ] || problem "$run is there and was not made by this script: it is left alone"
    rm -rf "$run"
fi
mkdir -p "$run"
run=$(cd "$run" && pwd)
echo "made by samples/run-session.sh, which replaces this folder at its next run" > "$run/$mark"
echo "run-session.sh: the copy of the sample project is in $run" >&2
cp -R "$here/drives/C" "$run/C"

editor="$bin/brevant-editor"
if [ $layout = build ]; then
    install="$run/C/Tarvex/Brevant"
    mkdir -p "$install/bin" "$install/support"
    cp -R "$bin/." "$install/bin/"
    cp -R "$here/../app/support/." "$install/support/"
    editor="$install/bin/brevant-editor"
else
    mkdir -p "$run/registry"
    cat > "$run/registry/user.reg" <<'EOF'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Tarvex\Brevant\Remote Configurable]
"Domain Settings"="C:\\Tarvex\\DomainSettings\\"
EOF
fi

export BREVANT_DRIVES="C=$run/C"
export BREVANT_REGISTRY_DIR="$run/registry"
export BREVANT_CLOCK="${BREVANT_CLOCK:-}"
cd "$run"
exec "$editor" "$script"
