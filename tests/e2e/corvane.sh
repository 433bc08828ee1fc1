#!/usr/bin/env bash
# The whole program as a user meets it, under Xvfb, driven with xdotool:
# mark a process, type a duration and an interval, press START!, see the red
# border and get the log; end the process with a right press and "q"; F1,
# minimise (natively, without a window manager: nothing happens), dragging
# the title bar; Escape and the close box end the program with status 0.
#   corvane.sh native CORVANE SLEEPER OUTDIR
#   corvane.sh wine   CORVANE.EXE SLEEPER.EXE OUTDIR WINE_RUN
set -u
mode=$1 exe=$2 sleeper=$3 out=$4 winerun=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
exe=$(absolute "$exe")
sleeper=$(absolute "$sleeper")
[ -n "$winerun" ] && winerun=$(absolute "$winerun")
. "$here/xvfb_lib.sh"
need_tools Xvfb xdotool xprop import convert
if [ "$mode" = wine ]; then
  # The loader, and whether this machine can run the build at all, are
  # wine-run.sh's to decide; it says why not.
  why=$(bash "$winerun" --check "$exe") || { echo "SKIP: $why"; exit 77; }
fi
mkdir -p "$out"
rm -f "$out"/*.png "$out"/e2e_log*.txt
cd "$out" || exit 1
SLEEPER_NAME=corvane_e2e_sleeper_marked_row

cleanup() {
  if [ "$mode" = wine ]; then
    WINEPREFIX=$(wine_prefix) timeout 30 wineserver -k 2>/dev/null
  fi
  stop_all
}
trap cleanup EXIT

# The prefix wine-run.sh uses: beside the build folder of the program.
wine_prefix() {
  local root
  root=$(cd "$(dirname "$exe")" && pwd)
  while [ "$root" != / ] && [ ! -f "$root/CMakeCache.txt" ]; do root=$(dirname "$root"); done
  echo "$root/wineprefix"
}

start_xvfb
if [ "$mode" = wine ]; then
  # A wineserver left by earlier tests keeps the display it started with:
  # start afresh so that the program's windows reach this Xvfb.
  WINEPREFIX=$(wine_prefix) timeout 30 wineserver -k 2>/dev/null
  WINEPREFIX=$(wine_prefix) timeout 60 wineserver -w 2>/dev/null
fi

# --- helpers -------------------------------------------------------------

# launch LOGNAME: the sleeper, then Corvane with the log file as its fourth
# argument; sets $corv (the process to wait for) and $wid (its window).
launch() {
  local log=$1
  run_log=$log
  if [ "$mode" = native ]; then
    if unshare --pid --fork --mount-proc true 2>/dev/null; then
      # A process namespace of its own: the list holds the shell, the
      # sleeper and Corvane, whatever else runs on the machine.
      unshare --pid --fork --kill-child --mount-proc sh -c \
        '"$1" 600 & "$2" "" "" "" "$3"; s=$?; kill $! 2>/dev/null; exit $s' \
        sh "$sleeper" "$exe" "$log" &
      corv=$!
    else
      "$sleeper" 600 &
      CORV_PIDS+=($!)
      "$exe" "" "" "" "$log" &
      corv=$!
    fi
  else
    bash "$winerun" "$sleeper" 600 >/dev/null 2>&1 &
    CORV_PIDS+=($!)
    bash "$winerun" "$exe" "" "" "" "$log" >"$out/wine-$log.txt" 2>&1 &
    corv=$!
  fi
  CORV_PIDS+=("$corv")
  wid=$(wait_for_window Corvane 180) || fail "no window titled Corvane"
  # The frame, the list and the gauges come with the first frame.
  sleep 1.5
}

geometry() {
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  wx=$X wy=$Y
}

# shot NAME: the window's 800x584 pixels as NAME.png.
shot() {
  geometry
  import -window root "$out/root.png" 2>/dev/null || fail "screenshot"
  convert "$out/root.png" -crop "800x584+$wx+$wy" +repage "$out/$1.png"
}

# pixel NAME X Y: the colour as RRGGBB.
pixel() { convert "$out/$1.png" -format "%[hex:p{$2,$3}]" info:; }

# black_in NAME X Y W H: how many pixels of the rectangle are black.
black_in() {
  convert "$out/$1.png" -crop "$4x$5+$2+$3" +repage txt:- | grep -c '#000000'
}

# sleeper_row NAME: the visible row whose name runs as far as the sleeper's
# (its 29th and 30th letters, x 304..319); other names are shorter.
sleeper_row() {
  convert "$out/$1.png" -crop 16x480+304+41 +repage txt:- |
    awk -F'[,:]' '/#000000/ { y = $2 + 41; r = int((y - 25) / 16); if (y - 25 - 16 * r <= 7) print r }' |
    sort -n | uniq -c | awk '$1 >= 4 { print $2 }' | head -n1
}

# True once no visible window has a title matching $1; false after 5 s.
hidden_within_5s() {
  for ((i = 0; i < 50; i++)); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# The program polls the buttons every 80 ms: a press is held long enough to
# be seen, and let go before a held marker press toggles again (~200 ms).
# click X Y [SECONDS]: a longer hold suits the boxes, which act once.
click() {
  xdotool mousemove --window "$wid" "$1" "$2" mousedown 1
  sleep "${3:-0.12}"
  xdotool mouseup 1
}
key_in_window() {
  xdotool mousemove --window "$wid" 400 300
  xdotool key "$@"
}

# drag_by DX DY: drags the title bar by DX,DY in two steps. True once the
# window has moved by exactly that (within 3 s), false if it did not move at
# all; a move by anything else fails the test.
# Only what follows the press moves the window; the hand rests a moment on
# the title bar so that a turn of the input thread finds the press before
# the pointer moves.
drag_by() {
  local dx=$1 dy=$2 x0 y0 i
  geometry
  x0=$wx y0=$wy
  xdotool mousemove --window "$wid" 300 8 mousedown 1
  sleep 1
  xdotool mousemove_relative -- $((dx * 2 / 3)) $((dy * 2 / 3))
  sleep 0.3
  xdotool mousemove_relative -- $((dx - dx * 2 / 3)) $((dy - dy * 2 / 3))
  sleep 0.3
  xdotool mouseup 1
  # A loaded machine may carry out the last step a little later.
  for ((i = 0; i < 30; i++)); do
    geometry
    [ "$wx" = $((x0 + dx)) ] && [ "$wy" = $((y0 + dy)) ] && return 0
    sleep 0.1
  done
  [ "$wx" = "$x0" ] && [ "$wy" = "$y0" ] && return 1
  fail "a drag by $dx,$dy moved the window from $x0,$y0 to $wx,$wy"
}

# The program reads the pointer only once its input thread runs, after the
# first frame and a pause, which under Wine on a loaded machine can outlast
# the wait in launch; a press before that is lost, as it should be. A drag
# of the title bar shows when the program takes input.
taking_input() {
  local attempt
  for attempt in 1 2 3 4 5 6; do
    drag_by 60 35 && return 0
    sleep 1
  done
  fail "six drags of the title bar did not move the window"
}

# why_running: what is left of a run that did not end.
why_running() {
  pgrep -af 'Corvane' | grep -v -e corvane.sh -e wine-run.sh | sed 's/^/  still running: /'
  ps -o pid,stat,args --ppid "$corv" | sed 's/^/  under the run: /'
  xdotool search --onlyvisible --name '^Corvane$' >/dev/null 2>&1 && echo "  its window is still shown"
  ps -o pid,stat,args --ppid "$(pgrep -P "$corv" -x "wine(64)?" | head -n1)" 2>/dev/null | sed 's/^/  under wine: /'
  [ -f "$out/wine-$run_log.txt" ] && tail -n 20 "$out/wine-$run_log.txt" | sed 's/^/  wine: /'
  shot "stuck-$run_log" 2>/dev/null
}

# --- one run: mark, type, log, dialogs, minimise, drag, Escape ------------

launch e2e_log
shot start
[ "$(pixel start 0 300)" = FFFFFF ] || fail "border not white at start: $(pixel start 0 300)"
[ "$(pixel start 400 8)" = 0000FF ] || fail "title bar not blue"

taking_input
echo "ok: drag"

row=""
for attempt in 1 2 3 4 5 6; do
  shot list
  row=$(sleeper_row list)
  [ -n "$row" ] && break
  # Not on the first page: show the end of the list, where new processes go.
  key_in_window End
  sleep 1
done
[ -n "$row" ] || fail "the sleeper's row is not in the list"
echo "sleeper in row $row"

click 27 $((16 * row + 27))
sleep 0.6
shot marked
[ "$(black_in marked 21 $((16 * row + 22)) 13 12)" -ge 10 ] || fail "no cross in the marker box of row $row"

# The field takes one key per 80 ms: give it time before the next press,
# or the press would end the edit with keys still waiting.
click 200 540
xdotool type --delay 150 2
xdotool key Return
sleep 0.5
click 400 540
xdotool type --delay 150 250
xdotool key Return
sleep 0.5
shot typed

click 700 543
sleep 1
shot logging
[ "$(pixel logging 0 300)" = EE0000 ] || fail "no red border while logging: $(pixel logging 0 300)"

# Two seconds at 250 ms: 9 passes, the first unwritten, so 8 records.
for ((i = 0; i < 100; i++)); do
  shot after
  [ "$(pixel after 0 300)" = FFFFFF ] && break
  sleep 0.2
done
[ "$(pixel after 0 300)" = FFFFFF ] || fail "the border did not turn white again"
[ -f e2e_log.txt ] || fail "no log file"
records=$(grep -c "$SLEEPER_NAME" e2e_log.txt)
[ "$records" = 8 ] || fail "log holds $records records of the sleeper, expected 8"
echo "ok: log with $records records"

# Ending the sleeper: a right press on its row while "q" waits in the key
# queue, then Yes in the confirmation box; the next cycle drops the row.
xdotool mousemove --window "$wid" 300 $((16 * row + 27)) mousedown 3
asked=""
for attempt in 1 2 3 4 5; do
  xdotool key q
  asked=$(wait_for_window "Prozess beenden" 2) && break
done
xdotool mouseup 3
[ -n "$asked" ] || fail "right press with q asked nothing"
sleep 0.5
import -window root "$out/confirm.png" 2>/dev/null
xdotool windowfocus "$asked" 2>/dev/null
xdotool key Return
for ((i = 0; i < 50; i++)); do
  shot ended
  [ -z "$(sleeper_row ended)" ] && break
  sleep 0.2
done
[ -z "$(sleeper_row ended)" ] || fail "the sleeper is still listed after Yes"
echo "ok: process ended"

# Natively, without a window manager, the minimise box does nothing: a
# window hidden then could not be brought back. The input thread takes the
# click before the F1 typed after it, so once the credits box is there the
# click is done. (Wine keeps a window of this kind mapped when it is
# minimised; that case is checked by a run of its own below.)
if [ "$mode" = native ]; then
  click 775 8 0.3
fi
key_in_window F1
credits=$(wait_for_window Credits 20) || fail "F1 showed no credits box"
if [ "$mode" = native ]; then
  xdotool search --onlyvisible --name '^Corvane$' | grep -qx "$wid" ||
    fail "the minimise box hid the window with no window manager to bring it back"
  xprop -id "$wid" WM_STATE | grep -q Iconic && fail "the window was marked iconic"
  echo "ok: minimise box without a window manager leaves the window"
fi
sleep 0.5
import -window root "$out/credits.png" 2>/dev/null
# Without a window manager nobody may have given the box the keyboard.
xdotool windowfocus "$credits" 2>/dev/null
xdotool key Return
hidden_within_5s '^Credits$' || fail "credits box did not close"
echo "ok: credits"

key_in_window Escape
wait_gone "$corv" 20 why_running
status=$?
[ "$status" = 0 ] || { fail "Escape ended with status $status"; }
echo "ok: Escape, status 0"

# --- a second run: the close box -------------------------------------------
launch e2e_log2
taking_input
click 791 8 0.3
wait_gone "$corv" 20 why_running
status=$?
[ "$status" = 0 ] || { fail "the close box ended with status $status"; }
echo "ok: close box, status 0"

if [ "$mode" = wine ]; then
  # Wine's own trace shows the window asked to minimise (show command 6).
  WINEDEBUG=trace+win launch e2e_log3
  taking_input
  click 775 8 0.3
  # Tracing slows Wine down: the request can take a while to show.
  for ((i = 0; i < 100; i++)); do
    grep -q 'show_window hwnd=.*cmd=6' "$out/wine-e2e_log3.txt" && break
    sleep 0.1
  done
  grep -q 'show_window hwnd=.*cmd=6' "$out/wine-e2e_log3.txt" || fail "minimise box did not minimise"
  echo "ok: minimised"
fi
echo PASS
