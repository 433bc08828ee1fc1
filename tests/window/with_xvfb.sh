#!/usr/bin/env bash
# Runs a command (a window test, possibly through Wine) on a private Xvfb
# display of 1280x1024 pixels at 24 bits that Xvfb numbers itself, so that
# parallel runs never collide. Without Xvfb the command runs without a
# display and the window tests skip themselves.
set -u
if ! command -v Xvfb >/dev/null 2>&1; then
  unset DISPLAY
  exec "$@"
fi
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
server=$!
number=
read -r -t 20 number <"$fifo"
rm -f "$fifo"
if [ -z "$number" ]; then
  echo "with_xvfb: Xvfb did not start" >&2
  kill "$server" 2>/dev/null
  exit 1
fi
export DISPLAY=":$number" CORV_TEST_XVFB=1
"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $status
