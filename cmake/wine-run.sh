#!/usr/bin/env bash
# Runs a Windows test binary under Wine with a private prefix beside the
# binary's build folder. The prefix is made once (it takes a while) and shared
# by every test of that build; a lock keeps parallel tests from making it twice.
set -u
# `wine-run.sh --prepare DIR` only makes the prefix of the build folder
# holding DIR (a test fixture, so that no timed test pays for it).
prepare=0
if [ "${1:-}" = "--prepare" ]; then prepare=1; shift; fi
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
# A Wine client that loses its connection to the wineserver ("wine client
# error") fails for Wine's sake, not the program's: that run is retried once.
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
for attempt in 1 2; do
  # The prefix's wineserver is started apart, on no terminal or pipe: one
  # started by the client would hold the pipe below open after it ends.
  wineserver </dev/null >/dev/null 2>&1
  # Errors pass through at once (tests read Wine's trace while it runs) and
  # are kept to look at afterwards.
  { "$wine" "$exe" "$@" 2>&1 1>&3 3>&- | tee "$errors" >&2; } 3>&1
  status=${PIPESTATUS[0]}
  if [ "$status" -eq 0 ] || [ "$attempt" -eq 2 ] || ! grep -q '^wine client error' "$errors"; then break; fi
  echo "wine-run.sh: the Wine client lost its server; running $exe again" >&2
  sleep 1
done
exit "$status"
