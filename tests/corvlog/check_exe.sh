#!/usr/bin/env bash
# Checks the built corvlog.exe without running it:
#   check_exe.sh corvlog.exe OBJDUMP 32|64
# a console program for the build's processor (the product is 32-bit; the
# x86-64 build is a test build) that imports only Windows' own DLLs (the C and
# C++ runtimes linked in). Prints "N passed, N failed".
set -u
exe=$1 objdump=$2 bits=${3:-32}
passed=0 failed=0
check() {  # check WHAT OK
  if [ "$2" = 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1"; fi
}
dump=$("$objdump" -p "$exe") || { echo "cannot read $exe"; echo "0 passed, 1 failed"; exit 1; }
imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | xargs)
subsystem=$(printf '%s\n' "$dump" | sed -n 's/^Subsystem[[:space:]]*//p')
echo "imports: $imports"
echo "subsystem: $subsystem"
foreign=0
for dll in $imports; do
  case "$dll" in
    kernel32.dll|msvcrt.dll|user32.dll|advapi32.dll|ntdll.dll|psapi.dll|imagehlp.dll|shell32.dll) ;;
    *) foreign=1; echo "not a Windows DLL: $dll" ;;
  esac
done
check "imports only Windows' own DLLs" $([ $foreign = 0 ] && echo 1 || echo 0)
check "imports kernel32" $(case " $imports " in *" kernel32.dll "*) echo 1 ;; *) echo 0 ;; esac)
check "console subsystem (got: $subsystem)" $(case "$subsystem" in *"(Windows CUI)"*) echo 1 ;; *) echo 0 ;; esac)
if [ "$bits" = 32 ]; then
  check "32-bit (i386) program" $(printf '%s\n' "$dump" | grep -q 'file format pei-i386' && echo 1 || echo 0)
else
  check "x86-64 program" $(printf '%s\n' "$dump" | grep -q 'file format pei-x86-64' && echo 1 || echo 0)
fi
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
