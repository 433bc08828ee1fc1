#!/usr/bin/env bash
# Runs a command (a window test, possibly through Wine) on a private Xvfb
# display that Xvfb numbers itself, so that parallel runs never collide:
# 1280x1024 pixels at 24 bits unless options say otherwise. Without Xvfb the
# command runs without a display and the window tests skip themselves.
#   with_xvfb.sh [--screen WxH] [--no-randr] [--monitor NAME GEOMETRY]... COMMAND...
# --monitor defines a RandR monitor as `xrandr --setmonitor` does (a name
# starting with * is the primary one). The server drops such monitors when its
# last client leaves, so a client of this script's stays connected meanwhile.
set -u
screen=1280x1024 extensions=() monitors=()
while [ $# -gt 0 ]; do
  case $1 in
    --screen) screen=$2; shift 2 ;;
    --no-randr) extensions=(-extension RANDR); shift ;;
    --monitor) monitors+=("$2" "$3"); shift 3 ;;
    *) break ;;
  esac
done
if ! command -v Xvfb >/dev/null 2>&1; then
  unset DISPLAY
  exec "$@"
fi
for tool in xrandr xprop; do
  if [ ${#monitors[@]} -gt 0 ] && ! command -v "$tool" >/dev/null 2>&1; then
    echo "with_xvfb: $tool is not installed (tools/setup.sh, group window): no monitors to test on"
    exit 77
  fi
done
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "${screen}x24" "${extensions[@]}" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
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
holder=
if [ ${#monitors[@]} -gt 0 ]; then
  # It prints the root's properties once it is connected.
  spied=$(mktemp)
  xprop -root -spy >"$spied" 2>&1 &
  holder=$!
  for ((i = 0; i < 200; i++)); do
    [ -s "$spied" ] && break
    sleep 0.1
  done
  if [ ! -s "$spied" ]; then
    echo "with_xvfb: xprop did not connect" >&2
    kill "$holder" "$server" 2>/dev/null
    rm -f "$spied"
    exit 1
  fi
  for ((i = 0; i < ${#monitors[@]}; i += 2)); do
    if ! xrandr --setmonitor "${monitors[i]}" "${monitors[i + 1]}" none; then
      echo "with_xvfb: xrandr could not set monitor ${monitors[i]}" >&2
      kill "$holder" "$server" 2>/dev/null
      exit 1
    fi
  done
  xrandr --listmonitors
fi
"$@"
status=$?
if [ -n "$holder" ]; then
  kill "$holder" 2>/dev/null
  rm -f "$spied"
fi
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $status
