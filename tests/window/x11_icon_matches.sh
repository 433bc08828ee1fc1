#!/usr/bin/env bash
# The X11 window's icon (screen/window_x11_icon.h, checked in) is what
# tools/make_icon.py --x11 makes now: a changed picture must reach both the
# Windows icon and this header.
#   x11_icon_matches.sh SOURCE_DIR SCRATCH_DIR
set -u
source=$1 scratch=$2
if ! command -v python3 >/dev/null 2>&1; then
  echo "SKIP: python3 is not installed: tools/make_icon.py cannot run"
  exit 77
fi
mkdir -p "$scratch"
python3 "$source/tools/make_icon.py" --x11 "$scratch/window_x11_icon.h" || exit 1
python3 "$source/tools/make_icon.py" "$scratch/corvane.ico" || exit 1
status=0
cmp "$scratch/window_x11_icon.h" "$source/screen/window_x11_icon.h" ||
  { echo "FAIL: screen/window_x11_icon.h differs: run tools/make_icon.py --x11"; status=1; }
cmp "$scratch/corvane.ico" "$source/res/corvane.ico" ||
  { echo "FAIL: res/corvane.ico differs: run tools/make_icon.py"; status=1; }
[ "$status" = 0 ] && echo "ok: the icon files are what tools/make_icon.py makes"
exit $status
