#!/bin/sh
# Runs a command on a private X server with a system tray host (trayer), the way a
# desktop session offers one. Exits 77 (skipped) when Xvfb or trayer is missing.
command -v Xvfb >/dev/null 2>&1 && command -v trayer >/dev/null 2>&1 || exit 77

workdir=$(mktemp -d)
trap 'kill $tray_pid $x_pid 2>/dev/null; wait 2>/dev/null; rm -rf "$workdir"' EXIT INT TERM

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$workdir/display" 2>/dev/null &
x_pid=$!
i=0
while [ ! -s "$workdir/display" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
[ -s "$workdir/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(cat "$workdir/display")"
export DISPLAY

trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 >/dev/null 2>&1 &
tray_pid=$!

QT_QPA_PLATFORM=xcb "$@"
