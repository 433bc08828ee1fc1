#!/usr/bin/env bash
# Runs a Windows test binary under Wine with a private prefix beside the
# binary's build folder. The prefix is made once (it takes a while) and shared
# by every test of that build; a lock keeps parallel tests from making it twice.
#
# The loader is chosen here, never by Debian's `wine` launcher (which takes
# the 32-bit loader whenever wine32 is installed): the build folder's
# wine-run.conf, written when CMake configures it, says whether its programs
# are 32- or 64-bit and, for 32-bit, whether this machine can run them at all.
# A run that cannot happen here exits 77 with the reason (CTest's "skipped").
set -u
# `wine-run.sh --prepare DIR` only makes the prefix of the build folder
# holding DIR (a test fixture, so that no timed test pays for it).
# `wine-run.sh --check EXE` only tells (status 0, or 77 and the reason)
# whether EXE's build can run here, for scripts that start it in the
# background.
# `wine-run.sh --fresh-server EXE ...` first ends the prefix's wineserver and
# what it still runs (for tests that run alone): a desktop process left by an
# earlier test may still belong to that test's X display, gone by now.
prepare=0 fresh=0 check=0
if [ "${1:-}" = "--prepare" ]; then prepare=1; shift; fi
if [ "${1:-}" = "--check" ]; then check=1; shift; fi
if [ "${1:-}" = "--fresh-server" ]; then fresh=1; shift; fi
exe=$1; shift
if [ "$prepare" = 1 ]; then dir=$(cd "$exe" && pwd); else dir=$(cd "$(dirname "$exe")" && pwd); fi
# The build folder is the nearest ancestor holding CMakeCache.txt.
root=$dir
while [ "$root" != / ] && [ ! -f "$root/CMakeCache.txt" ]; do root=$(dirname "$root"); done
[ "$root" = / ] && root=$dir
here=$(cd "$(dirname "$0")" && pwd)
bits="" skip=""
[ -f "$root/wine-run.conf" ] && . "$root/wine-run.conf"
if [ -z "$bits" ] && [ "$prepare" = 0 ]; then
  # No configured build folder: the PE header's machine field tells.
  pe=$(od -An -tu4 -j60 -N4 "$exe" 2>/dev/null | tr -d ' ')
  machine=$(od -An -tx2 -j$((${pe:-0} + 4)) -N2 "$exe" 2>/dev/null | tr -d ' ')
  case "$machine" in 14c) bits=32 ;; 8664) bits=64 ;; esac
fi
case "$bits" in
  32) loader=/usr/lib/wine/wine; arch=win32
      # Decided once, when the folder was configured (or here, for a folder
      # without wine-run.conf); CORV_NO_I386 also forces "cannot" now.
      if [ -z "$skip" ] && { [ ! -f "$root/wine-run.conf" ] || [ "${CORV_NO_I386:-0}" != 0 ]; }; then
        skip=$(bash "$here/can-run-i386.sh")
      fi ;;
  64) loader=/usr/lib/wine/wine64; arch=win64
      [ -x "$loader" ] || skip="64-bit Wine (Debian's wine64) is not installed" ;;
  *) echo "wine-run.sh: cannot tell whether $exe is a 32- or 64-bit program" >&2; exit 1 ;;
esac
if [ -n "$skip" ]; then
  echo "skipped: $skip"
  exit 77
fi
[ "$check" = 1 ] && exit 0
export WINEPREFIX="$root/wineprefix" WINEARCH=$arch
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=$loader
if [ ! -f "$WINEPREFIX/.corv-ready" ]; then
  exec 9>"$root/wineprefix.lock"
  # Another test making the prefix holds the lock; wineboot's own limit
  # below bounds how long that can take.
  if ! timeout 600 flock 9; then
    echo "wine-run.sh: gave up after 600 s waiting for another test to make $WINEPREFIX" >&2
    exit 1
  fi
  if [ ! -f "$WINEPREFIX/.corv-ready" ]; then
    rm -rf "$WINEPREFIX"
    if ! timeout 300 "$wine" wineboot -i >"$root/wineboot.log" 2>&1; then
      echo "wine-run.sh: wineboot did not make $WINEPREFIX within 300 s (see $root/wineboot.log)" >&2
      timeout 30 wineserver -k 2>/dev/null
      exit 1
    fi
    if ! timeout 120 wineserver -w 2>/dev/null; then
      echo "wine-run.sh: the wineserver of $WINEPREFIX did not end within 120 s after wineboot" >&2
      timeout 30 wineserver -k 2>/dev/null
      exit 1
    fi
    touch "$WINEPREFIX/.corv-ready"
  fi
  exec 9>&-
fi
[ "$prepare" = 1 ] && exit 0
if [ "$fresh" = 1 ]; then
  timeout 30 wineserver -k 2>/dev/null
  timeout 60 wineserver -w 2>/dev/null ||
    echo "wine-run.sh: the old wineserver of $WINEPREFIX did not end within 60 s" >&2
fi
# A Wine client that loses its connection to the wineserver ("wine client
# error") fails for Wine's sake, not the program's: that run is retried once.
errors=$(mktemp) output=$(mktemp)
winepid="" tailpids=""
trap 'rm -f "$errors" "$output"' EXIT
# Ended from outside (a test's clean-up, a time-out): the program goes too.
trap 'kill $winepid $tailpids 2>/dev/null; exit 143' TERM INT
for attempt in 1 2; do
  # The prefix's wineserver is started apart, on no terminal or pipe, so that
  # it holds none of this run's descriptors.
  wineserver </dev/null >/dev/null 2>&1
  # The program's output and Wine's errors go to files, not to the pipes this
  # script was given: helper processes that Wine starts from this program
  # (services, a console host for a child) outlive it and inherit both, and a
  # pipe would stay open, its reader (CTest) waiting, until they end. tail
  # passes each file on as it grows (tests read Wine's trace while the
  # program runs) and stops after a last read once the program has ended.
  : >"$errors"
  : >"$output"
  "$wine" "$exe" "$@" <&0 >"$output" 2>"$errors" &
  winepid=$!
  tail -n +1 -s 0.1 -f --pid="$winepid" "$output" &
  tailpids=$!
  tail -n +1 -s 0.1 -f --pid="$winepid" "$errors" >&2 &
  tailpids="$tailpids $!"
  wait "$winepid"
  status=$?
  # shellcheck disable=SC2086
  wait $tailpids
  winepid="" tailpids=""
  if [ "$status" -eq 0 ] || [ "$attempt" -eq 2 ] || ! grep -q '^wine client error' "$errors"; then break; fi
  echo "wine-run.sh: the Wine client lost its server; running $exe again" >&2
  sleep 1
done
# A crash under Wine is silent with WINEDEBUG=-all, and the program's own
# buffered output is lost with it: say at least how it ended (Wine passes
# on the low byte of the exit code: 5 for an access violation).
[ "$status" -ne 0 ] && echo "wine-run.sh: $(basename "$exe") ended with status $status" >&2
exit "$status"
