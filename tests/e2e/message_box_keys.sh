#!/usr/bin/env bash
# The Windows message boxes under Wine in Xvfb, shown as the program shows
# them (over its window, from a thread other than the window's): each comes
# to the foreground and answers the Return that the system's keyboard input
# hands to the foreground window (message_box_keys_probe).
#
# Keys typed on the X display itself are another matter without a window
# manager: X gives them to the window under the pointer, and Wine leaves the
# focus of a captioned window such as a box to the window manager, so with
# the pointer over the program's window they reach that window, not the box.
#   message_box_keys.sh PROBE.EXE WINE_RUN
set -u
probe=$1 winerun=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_lib.sh"
need_tools Xvfb
why=$(bash "$winerun" --check "$probe") || { echo "SKIP: $why"; exit 77; }

wine_prefix() {
  local root
  root=$(cd "$(dirname "$probe")" && pwd)
  while [ "$root" != / ] && [ ! -f "$root/CMakeCache.txt" ]; do root=$(dirname "$root"); done
  echo "$root/wineprefix"
}
cleanup() {
  WINEPREFIX=$(wine_prefix) timeout 30 wineserver -k 2>/dev/null
  stop_all
}
trap cleanup EXIT

start_xvfb
# A wineserver left by earlier tests keeps the display it started with.
WINEPREFIX=$(wine_prefix) timeout 30 wineserver -k 2>/dev/null
WINEPREFIX=$(wine_prefix) timeout 60 wineserver -w 2>/dev/null
timeout 120 bash "$winerun" "$probe"
