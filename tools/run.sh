#!/usr/bin/env bash
# `make run`: starts the monitor when a display is there; otherwise shows a
# short headless run that logs this shell for 2 seconds and prints the log.
set -eu
exe=build/linux/app/Corvane
if [ -n "${DISPLAY:-}" ]; then
  exec "$exe"
fi
log=$(mktemp -d)/corvane-demo.txt
echo "No display: headless run, logging process $$ (this shell) for 2 s every 250 ms into $log"
"$exe" "$$" 2 250 "$log"
cat "$log"
