#!/usr/bin/env bash
# Runs a command with a private Xvfb display that is started before and stopped after it.
# The display number is chosen by Xvfb itself, so parallel runs do not collide.
set -euo pipefail
fifo=$(mktemp -u /tmp/qel-xvfb.XXXXXX)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display <"$fifo"
rm -f "$fifo"
stop() { kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; }
trap stop EXIT
export DISPLAY=:$display
"$@"
