#!/usr/bin/env bash
# Runs a Windows test binary under Wine with a private prefix beside the
# binary's build folder. The prefix is made once (it takes a while) and shared
# by every test of that build; a lock keeps parallel tests from making it twice.
set -u
# `wine-run.sh --prepare DIR` only makes the prefix of the build folder
# holding DIR (a test fixture, so that no timed test pays for it).
# `wine-run.sh --fresh-server EXE ...` first ends the prefix's wineserver and
# what it still runs (for tests that run alone): a desktop process left by an
# earlier test may still belong to that test's X display, gone by now.
prepare=0 fresh=0
if [ "${1:-}" = "--prepare" ]; then prepare=1; shift; fi
if [ "${1:-}" = "--fresh-server" ]; then fresh=1; shift; fi
exe=$1; shift
if [ "$prepare" = 1 ]; then dir=$(cd "$exe" && pwd); else dir=$(cd "$(dirname "$exe")" && pwd); fi
# The build folder is the nearest ancestor holding CMakeCache.txt.
root=$dir
while [ "$root" != / ] && [ ! -f "$root/CMakeCache.txt" ]; do root=$(dirname "$root"); done
[ "$root" = / ] && root=$dir
export WINEPREFIX="$root/wineprefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=wine  # Debian's launcher picks the 32- or 64-bit loader per binary
if [ ! -f "$WINEPREFIX/.corv-ready" ]; then
  exec 9>"$root/wineprefix.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/.corv-ready" ]; then
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || "$wine" wineboot -i >/dev/null 2>&1
    wineserver -w 2>/dev/null
    touch "$WINEPREFIX/.corv-ready"
  fi
  exec 9>&-
fi
[ "$prepare" = 1 ] && exit 0
if [ "$fresh" = 1 ]; then
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
fi
# A Wine client that loses its connection to the wineserver ("wine client
# error") fails for Wine's sake, not the program's: that run is retried once.
errors=$(mktemp)
winepid="" tailpid=""
trap 'rm -f "$errors"' EXIT
# Ended from outside (a test's clean-up, a time-out): the program goes too.
trap 'kill $winepid $tailpid 2>/dev/null; exit 143' TERM INT
for attempt in 1 2; do
  # The prefix's wineserver is started apart, on no terminal or pipe, so that
  # it holds none of this run's descriptors.
  wineserver </dev/null >/dev/null 2>&1
  # Wine's errors go to a file, not a pipe: helper processes that Wine starts
  # from this program and that outlive it inherit the descriptor, and a pipe
  # would stay open (and its reader waiting) until they end. tail passes the
  # file on as it grows (tests read Wine's trace while the program runs) and
  # stops after a last read once the program has ended.
  : >"$errors"
  "$wine" "$exe" "$@" <&0 2>"$errors" &
  winepid=$!
  tail -n +1 -s 0.1 -f --pid="$winepid" "$errors" >&2 &
  tailpid=$!
  wait "$winepid"
  status=$?
  wait "$tailpid"
  winepid="" tailpid=""
  if [ "$status" -eq 0 ] || [ "$attempt" -eq 2 ] || ! grep -q '^wine client error' "$errors"; then break; fi
  echo "wine-run.sh: the Wine client lost its server; running $exe again" >&2
  sleep 1
done
exit "$status"
