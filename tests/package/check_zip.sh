#!/usr/bin/env bash
# The Windows zip of `make package` as a user gets it: unpacked, its files
# checked, then run under Wine from the unpacked folder. A 32-bit build runs
# the program (a short headless session), corvlog on its log, the library
# driver against the zip's corvprobe.dll and the C example built against the
# zip's header and import library; an x86-64 build does the same for the
# library in x64/.
#   check_zip.sh ZIP BUILD_DIR C_COMPILER WINE_RUN BITS DRIVER CHILD...
# DRIVER and CHILD are this build's test_libprobe_driver and the children it
# starts; they are copied beside the zip's DLL, where Windows loads it from.
# The folder is unpacked inside BUILD_DIR, so that the runs share the build's
# Wine prefix and its verdict on whether this machine can run them.
# Prints "N passed, N failed"; status 77 when the zip is not made yet, or
# when the files are right but this machine cannot run them (the reason).
set -u
zip=$1 build=$2 cc=$3 wine_run=$4 bits=$5 driver=$6; shift 6
if [ ! -f "$zip" ]; then echo "skipped: $zip is not made yet (make package)"; exit 77; fi
work=$build/package-check
name=$(basename "$zip" .zip)
top=$work/$name
. "$(dirname "$0")/../support/checks.sh"
rm -rf "$work" && mkdir -p "$work"
check "the zip unpacks" unzip -q "$zip" -d "$work"

# ---- its files ----------------------------------------------------------------
listing() {
  (cd "$top" && find . -type f | sed 's|^\./||' | sort) >"$work/files.txt"
  printf '%s\n' Corvane.exe README.txt corvlog.exe corvprobe.def corvprobe.dll examples/list_processes.c \
    examples/top.py include/corvprobe.h libcorvprobe.dll.a x64/corvprobe.dll x64/libcorvprobe.dll.a |
    diff - "$work/files.txt"
}
check "the zip holds the release's files and no others" listing
machine() {  # machine FILE: the PE header's machine field (014c i386, 8664 x86-64)
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' '
}
for f in Corvane.exe corvlog.exe corvprobe.dll; do
  check "$f is a 32-bit program" test "$(machine "$top/$f")" = 014c
done
check "x64/corvprobe.dll is an x86-64 DLL" test "$(machine "$top/x64/corvprobe.dll")" = 8664
crlf() {  # every line of the README ends in CR LF, and it is the whole README
  python3 - "$1" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
lines = data.split(b'\n')
assert lines[-1] == b'', 'no line end at the end'
assert all(l.endswith(b'\r') for l in lines[:-1]), 'a line without CR'
text = data.decode('utf-8-sig')
assert '## corvprobe' in text and '## Command line' in text, 'sections missing'
assert '![' not in text, 'a picture reference left'
PY
}
check "README.txt: plain text with CR LF" crlf "$top/README.txt"

# ---- built against the zip's header and import library ------------------------
if [ "$bits" = 32 ]; then dir=$top; else dir=$top/x64; fi
check "the C example builds against the zip" "$cc" -std=c11 -Wall -Wextra -Werror -I"$top/include" \
  -o "$dir/list_processes.exe" "$top/examples/list_processes.c" "$dir/libcorvprobe.dll.a"
check "the driver and its children are copied in" cp "$driver" "$@" "$dir/"

if ! why=$(bash "$wine_run" --check "$dir/list_processes.exe"); then
  echo "$passed passed, $failed failed"
  [ "$failed" = 0 ] || exit 1
  echo "the runs under Wine: ${why#skipped: }"
  exit 77
fi

# ---- run from the unpacked folder -----------------------------------------------
cd "$dir" || exit 1
check "the library driver passes with the zip's DLL" sh -c \
  'bash "$1" "$2" >"$3" 2>&1; status=$?; cat "$3"; [ "$status" = 0 ] && grep -q " 0 failed" "$3"' \
  - "$wine_run" "$dir/$(basename "$driver")" "$work/driver.txt"
check "the C example runs with the zip's DLL" sh -c \
  'bash "$1" "$2" >"$3" && grep -q "^CPU load [0-9]* %" "$3"' - "$wine_run" "$dir/list_processes.exe" "$work/example.txt"
if [ "$bits" = 32 ]; then
  # Corvane selects itself ("corvane" is its name's stem): one second at
  # 200 ms writes five records of it (more if another Corvane.exe runs in
  # this prefix meanwhile).
  check "Corvane.exe logs headlessly" bash "$wine_run" "$top/Corvane.exe" corvane 1 200 session
  check "the log has its header" grep -q "^Log vom " "$top/session.txt"
  check "the log has Corvane.exe's records" sh -c \
    'test "$(grep -c "Corvane.exe  *[0-9]*% CPU  *[0-9]* KB RAM" "$1")" -ge 5' - "$top/session.txt"
  check "corvlog.exe reads it back" sh -c 'bash "$1" "$2" summary session.txt >"$3" && grep -q "^Corvane.exe " "$3"' \
    - "$wine_run" "$top/corvlog.exe" "$work/summary.txt"
fi
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
