#!/bin/bash
# A logged process's PID handed to another process mid-session, for real.
#
# In a PID namespace of its own, a headless session logs an idle process
# `qzvictim` every 200 ms for 4 s. After 1.5 s the victim is killed and
# reaped, /proc/sys/kernel/ns_last_pid is set so that the next process gets
# its PID, and a busy `qzimpost` is started under it. Every record from a
# little after the hand-over must read 0 % CPU and 0 KB RAM; the records
# before it show the victim's own working set.
#
# Usage: pid_handover.sh <Corvane>. Needs root and PID namespaces; skipped
# (status 77, with the reason) where the machine refuses them.
set -u
corvane=$(realpath "$1")

skip() {
  echo "skipped: $*"
  exit 77
}
[ "$(id -u)" = 0 ] || skip "setting ns_last_pid needs root"
command -v unshare >/dev/null || skip "unshare is not installed"
timeout 10 unshare --pid --fork --mount-proc true 2>/dev/null || skip "this machine refuses PID namespaces"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Program names are the executable's file name.
cp "$(command -v sleep)" "$work/qzvictim"
cp "$(command -v bash)" "$work/qzimpost"

# Runs as PID 1 of the new namespace; prints the hand-over time (ms of the
# day) on its last line, or "no hand-over".
cat >"$work/inside.sh" <<'INSIDE'
work=$1 corvane=$2
"$work/qzvictim" 60 &
victim=$!
sleep 0.3
cd "$work" && "$corvane" qzvictim 4 200 "$work/run.txt" >"$work/corvane.out" 2>&1 &
session=$!
sleep 1.5
kill -9 $victim
wait $victim 2>/dev/null
handed=""
for attempt in 1 2 3 4 5; do
  echo $((victim - 1)) >/proc/sys/kernel/ns_last_pid
  "$work/qzimpost" -c 'while :; do :; done' &
  impostor=$!
  if [ "$impostor" = "$victim" ]; then
    handed=$(date '+%H %M %S %N')
    break
  fi
  kill -9 $impostor
  wait $impostor 2>/dev/null
done
timeout 30 tail --pid=$session -f /dev/null
wait $session
status=$?
kill -9 $impostor 2>/dev/null
echo "session status $status"
echo "${handed:-no hand-over}"
INSIDE

out=$(timeout 60 unshare --pid --fork --mount-proc bash "$work/inside.sh" "$work" "$corvane" 2>&1)
echo "$out"
handed=$(echo "$out" | tail -1)
[ "$handed" != "no hand-over" ] || skip "the victim's PID could not be handed on (ns_last_pid refused)"
echo "$out" | grep -q "session status 0" || {
  echo "FAILED: the session did not end with status 0"
  cat "$work/corvane.out"
  exit 1
}
[ -f "$work/run.txt" ] || {
  echo "FAILED: no log written"
  exit 1
}

# Hand-over time as milliseconds of the local day, like the records' stamps.
read -r h m s n <<<"$handed"
handedMs=$(( ((10#$h * 60 + 10#$m) * 60 + 10#$s) * 1000 + 10#${n:0:3} ))
awk -v handed="$handedMs" '
  /^[0-9][0-9]:[0-9][0-9]:[0-9][0-9]:[0-9][0-9][0-9] / {
    split($1, t, ":")
    ms = ((t[1] * 60 + t[2]) * 60 + t[3]) * 1000 + t[4]
    if (ms < handed - 86400000 / 2) ms += 86400000   # past midnight
    name = $2; cpu = $3; kb = $5
    if (name != "qzvictim") { print "FAILED: a record of " name; bad = 1 }
    if (ms < handed - 400) { before++; if (kb + 0 == 0) { print "FAILED: no working set before the hand-over: " $0; bad = 1 } }
    if (ms > handed + 400) { after++; if (cpu != "0%" || kb != "0") { print "FAILED: another process lent its figures: " $0; bad = 1 } }
  }
  END {
    if (before < 2 || after < 5) { print "FAILED: " before " records before and " after " after the hand-over"; bad = 1 }
    if (!bad) print "passed: " before " records before the hand-over, " after " after it read 0% / 0 KB"
    exit bad
  }' "$work/run.txt"
