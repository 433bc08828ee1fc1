#!/usr/bin/env bash
# `make run`: starts the monitor when a display is there; otherwise shows a
# short headless run that logs this shell for 2 seconds and shows the log
# through corvlog (converted from Windows-1252 for the terminal) with its
# summary.
set -eu
exe=build/linux/app/Corvane
corvlog=build/linux/corvlog/corvlog
if [ -n "${DISPLAY:-}" ]; then
  exec "$exe"
fi
log=$(mktemp -d)/corvane-demo.txt
echo "No display: headless run, logging process $$ (this shell) for 2 s every 250 ms into $log"
"$exe" "$$" 2 250 "$log"
"$corvlog" show "$log"
echo "corvlog summary $log:"
"$corvlog" summary "$log"
