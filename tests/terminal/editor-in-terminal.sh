#!/usr/bin/env bash
# The editor at a terminal, typed into through tmux as a person types: the
# prompt; a line edited in place (Ctrl-A to its start, the left arrow into its
# middle); the session's lines recalled with the up arrow; Tab completing a
# command, a built-in LISP function and a module's function typed in lower
# case; Ctrl-C stopping a LISP loop while the editor goes on. The transcript
# file shows the lines as they ran.
#
# Usage: editor-in-terminal.sh <brevant-editor>
# Exits with 77 (skipped) only when no terminal multiplexer can run here.
set -euo pipefail
editor=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
for variable in $(compgen -e); do
    case $variable in BREVANT_*) unset "$variable" ;; esac
done
if ! command -v tmux > /dev/null; then
    echo "skipped: tmux is not installed"
    exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/brevant-terminal-XXXXXX")
socket="$work/tmux.socket"
cleanup() {
    tmux -S "$socket" kill-server 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/C" "$work/runtime"
chmod 700 "$work/runtime"
cat > "$work/start.sh" <<START
export BREVANT_DRIVES="C=$work/C"
export BREVANT_REGISTRY_DIR="$work/registry"
export BREVANT_RUNTIME_DIR="$work/runtime"
export BREVANT_TRANSCRIPT="$work/transcript.txt"
cd "$work/C"
"$editor" 2> "$work/errors.txt"
echo "\$?" > "$work/status"
START
if ! tmux -S "$socket" -f /dev/null new-session -d -x 150 -y 60 -s editor \
        "bash $work/start.sh"; then
    echo "skipped: tmux cannot start a terminal here"
    exit 77
fi

screen() {
    tmux -S "$socket" capture-pane -p -J -S - -t editor 2> /dev/null || true
}
keys() {
    tmux -S "$socket" send-keys -t editor "$@"
}
# Waits up to 20 seconds for the screen to show a line; fails with the screen.
shows() {
    for _ in $(seq 200); do
        if screen | grep -qF -- "$1"; then
            return 0
        fi
        sleep 0.1
    done
    echo "The screen never showed: $1"
    echo "---- screen"
    screen
    echo "---- error output"
    cat "$work/errors.txt" 2> /dev/null || true
    exit 1
}
# Waits until the screen shows a line the given number of times.
shows_times() {
    for _ in $(seq 200); do
        if [ "$(screen | grep -cF -- "$1" || true)" -ge "$2" ]; then
            return 0
        fi
        sleep 0.1
    done
    echo "The screen did not show $2 times: $1"
    screen
    exit 1
}

shows "Command: "
keys "ETVAR DWGNAME" C-a "G" Enter
shows 'DWGNAME = "Drawing1.dwg" (read only)'
keys "GETVAR LUPRC" Left "E" Enter
shows "LUPREC = 4"
keys Up Enter
shows_times "LUPREC = 4" 2
keys Up Up Up Enter
shows_times 'DWGNAME = "Drawing1.dwg" (read only)' 2

keys "XATT" Tab
shows "Command: XATTACH"
keys C-u "(strl" Tab
shows "Command: (strlen"
keys '"Quay")' Enter  # completion added the blank after the name
shows_times "Command: " 6
keys "ARX LOAD Brevant15.arx" Enter
shows "Brevant15.arx successfully loaded."
keys "(pellambrevantdeb" Tab
shows "Command: (PellamBrevantDebug"
keys "0)" Enter
keys "(while T 1)" Enter
sleep 0.5
keys C-c
shows "; error: Function cancelled"
keys "QUIT" Enter
for _ in $(seq 200); do
    [ -s "$work/status" ] && break
    sleep 0.1
done

failed=0
expect() {  # the transcript holds the line
    if ! grep -qxF -- "$1" "$work/transcript.txt"; then
        echo "The transcript lacks the line: $1"
        failed=1
    fi
}
expect "Command: GETVAR DWGNAME"
expect "Command: GETVAR LUPREC"
expect 'Command: (strlen "Quay")'
expect "4"
expect "Command: (PellamBrevantDebug 0)"
expect "Command: (while T 1)"
expect "; error: Function cancelled"
expect "Command: QUIT"
if [ "$(cat "$work/status" 2> /dev/null)" != 1 ]; then
    echo "The editor ended with status $(cat "$work/status" 2> /dev/null), not 1 (one line failed)."
    failed=1
fi
if ! grep -qF "brevant-editor: standard input: 1 line(s) failed:" "$work/errors.txt"; then
    echo "The error output does not name the failed line:"
    cat "$work/errors.txt"
    failed=1
fi
if [ $failed != 0 ]; then
    echo "---- transcript"
    cat "$work/transcript.txt"
fi
exit $failed
