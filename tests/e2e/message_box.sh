#!/usr/bin/env bash
# The Linux message box, driven like a user would: mouse clicks on its
# buttons, Enter and Escape; its title, its place and its line breaks.
#   message_box.sh PROBE OUTDIR
set -u
probe=$1
out=${2:-$(mktemp -d)}
mkdir -p "$out"
. "$(dirname "$0")/xvfb_lib.sh"
trap stop_all EXIT

# Without a display the box answers "no" (or OK) at once.
[ "$(env -u DISPLAY timeout 10 "$probe" 24 "Prozess beenden" "Soll?")" = 7 ] || fail "no display, Yes/No"
[ "$(env -u DISPLAY timeout 10 "$probe" 10 "Fehler" "x")" = 1 ] || fail "no display, error box"
[ "$(env -u DISPLAY timeout 10 "$probe" 0 "Credits" "x")" = 1 ] || fail "no display, OK box"

need_tools Xvfb xdotool xprop
start_xvfb

# show TYPE CAPTION TEXT: starts the probe in the background, sets $probe_pid,
# $wid and the window's geometry $wx $wy $ww $wh.
show() {
  "$probe" "$@" >"$out/answer" &
  probe_pid=$!
  CORV_PIDS+=("$probe_pid")
  wid=$(wait_for_window "${2//\\xF6/.*}") || fail "no window titled $2"
  sleep 0.3
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  wx=$X wy=$Y ww=$WIDTH wh=$HEIGHT
}
answer() {
  wait_gone "$probe_pid" 10 || fail "box did not close ($1)"
  local got
  got=$(cat "$out/answer")
  [ "$got" = "$2" ] || fail "$1: answered $got, expected $2"
  echo "ok: $1 -> $got"
}
# click_button N COUNT: the N-th (0-based) of COUNT buttons, centred at the bottom.
click_button() {
  local n=$1 count=$2 total x y
  total=$((count * 80 + (count - 1) * 12))
  x=$(((ww - total) / 2 + n * 92 + 40))
  y=$((wh - 16 - 13))
  xdotool mousemove --window "$wid" "$x" "$y" click 1
}

question='Soll  "sleep"  wirklich beendet werden?'

show 24 "Prozess beenden" "$question"
# Centred on the 1024x768 screen (no window manager moves it).
[ $((wx + ww / 2 - 512)) -le 1 ] && [ $((512 - wx - ww / 2)) -le 1 ] || fail "not centred: x $wx w $ww"
[ $((wy + wh / 2 - 384)) -le 1 ] && [ $((384 - wy - wh / 2)) -le 1 ] || fail "not centred: y $wy h $wh"
xprop -id "$wid" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG || fail "not a dialog window"
xprop -id "$wid" WM_TRANSIENT_FOR | grep -q 'window id' || fail "not transient"
import -window root "$out/message_box_question.png" 2>/dev/null
click_button 1 2
answer "click on Nein" 7

show 24 "Prozess beenden" "$question"
click_button 0 2
answer "click on Ja" 6

show 24 "Prozess beenden" "$question"
xdotool key Return
answer "Enter on Yes/No" 6

show 24 "Prozess beenden" "$question"
xdotool key Escape
answer "Escape on Yes/No" 7

# Pressing on one button and letting go on the other chooses nothing.
show 24 "Prozess beenden" "$question"
total=172
xdotool mousemove --window "$wid" $(((ww - total) / 2 + 40)) $((wh - 29)) mousedown 1
xdotool mousemove --window "$wid" $(((ww - total) / 2 + 132)) $((wh - 29)) mouseup 1
sleep 0.3
kill -0 "$probe_pid" 2>/dev/null || fail "a press on Ja released on Nein closed the box"
click_button 1 2
answer "click on Nein after a cancelled press" 7

# The error caption holds the Windows-1252 byte 0xF6; the title is UTF-8.
show 10 'Beenden des Prozesses nicht m\xF6glich' "Zugriff vom System verweigert."
title=$(xprop -id "$wid" _NET_WM_NAME)
case "$title" in
  *'Beenden des Prozesses nicht möglich'*) ;;
  *) fail "UTF-8 title: $title" ;;
esac
import -window root "$out/message_box_error.png" 2>/dev/null
click_button 0 1
answer "click on OK" 1

show 10 'Beenden des Prozesses nicht m\xF6glich' "Zugriff vom System verweigert."
xdotool key Escape
answer "Escape on OK" 1

# One line against three: "\r\n" breaks lines, so the credits box is taller.
show 0 "Credits" "Corvane v1.0.1"
one_line=$wh
xdotool key Return
answer "Enter on OK" 1
show 0 "Credits" 'Corvane v1.0.1\r\n\r\n    by Terbalix   '
[ "$wh" -gt "$one_line" ] || fail "line breaks not honoured: $wh <= $one_line"
import -window root "$out/message_box_credits.png" 2>/dev/null
click_button 0 1
answer "click on OK of the credits" 1

echo "PASS"
