#!/usr/bin/env bash
# Checks Corvane.exe as a file, without running it, so that these checks hold
# on machines that cannot execute the build's programs too:
#   check_program_file.sh PROGRAM OBJDUMP 32|64
# a PE32 (i386) or PE32+ (x86-64) image as the build says, the GUI subsystem
# (no console window), and the resources (its imports: check_exports.sh):
# one icon, the common-controls 6.0 manifest and the version block 1.0.1.0.
# Prints "N passed, N failed".
set -u
exe=$1 objdump=$2 bits=$3
passed=0 failed=0
check() {  # check WHAT OK
  if [ "$2" = 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1"; fi
}
has() { case "$1" in *"$2"*) echo 1 ;; *) echo 0 ;; esac; }

dump=$("$objdump" -p "$exe") || { echo "cannot read $exe"; echo "0 passed, 1 failed"; exit 1; }
if [ "$bits" = 32 ]; then
  check "a PE32 image for i386" "$(has "$dump" 'file format pei-i386')"
  check "PE32 magic" "$(printf '%s\n' "$dump" | grep -cE '^Magic[[:space:]]+010b')"
else
  check "a PE32+ image for x86-64" "$(has "$dump" 'file format pei-x86-64')"
  check "PE32+ magic" "$(printf '%s\n' "$dump" | grep -cE '^Magic[[:space:]]+020b')"
fi
check "GUI subsystem" "$(has "$dump" '(Windows GUI)')"

# The resource section as bytes: the manifest is stored as it is written,
# the version strings in UTF-16.
rsrc=$("$objdump" -s -j .rsrc "$exe" 2>/dev/null | sed -n 's/^ [0-9a-f]\{4,\} \(\([0-9a-f]\{2,8\} \)\{1,4\}\).*/\1/p' | tr -d ' \n')
check "a resource section" $([ -n "$rsrc" ] && echo 1 || echo 0)
hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
utf16() { printf '%s' "$1" | sed 's/./&\x00/g' | od -An -tx1 | tr -d ' \n'; }
check "the common-controls 6.0 manifest" "$(has "$rsrc" "$(hex 'Microsoft.Windows.Common-Controls')")"
check "manifest asks for version 6.0.0.0" "$(has "$rsrc" "$(hex 'version="6.0.0.0"')")"
check "version block 1.0.1.0" "$(has "$rsrc" "$(utf16 '1.0.1.0')")"
# An icon directory: reserved 0, type 1, one image.
check "one icon" "$(has "$rsrc" '000001000100')"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
