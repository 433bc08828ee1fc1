#!/usr/bin/env bash
# Checks a built file's export table and imports:
#   check_exports.sh FILE OBJDUMP NM
# A DLL must export exactly the eleven undecorated names; a DLL or a program
# (.exe) must import only Windows' own DLLs, and the memory query from psapi
# (GetProcessMemoryInfo) rather than its kernel32 twin of Windows 7 and later
# (K32GetProcessMemoryInfo, or any K32 name). A shared object must define
# exactly the eleven dynamic symbols. Prints "N passed, N failed".
set -u
lib=$1 objdump=$2 nm=$3
expected="cvclock cvcpu cvpcpu cvpid cvpkill cvplist cvpnam cvpram cvram cvsleep cvusedram"
passed=0 failed=0
check() {  # check WHAT OK
  if [ "$2" = 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1"; fi
}

case "$lib" in
  *.dll|*.exe)
    dump=$("$objdump" -p "$lib") || { echo "cannot read $lib"; echo "0 passed, 1 failed"; exit 1; }
    imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | xargs)
    # "dll function" for every imported name: the lines after a "DLL Name:"
    # read "vma hint name" up to the next empty line.
    functions=$(printf '%s\n' "$dump" | awk '
      /^[[:space:]]*DLL Name:/ { dll = tolower($3); next }
      /^[[:space:]]*$/ { dll = ""; next }
      dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }')
    echo "imports: $imports"
    foreign=0
    for dll in $imports; do
      case "$dll" in
        kernel32.dll|psapi.dll|msvcrt.dll|advapi32.dll|ntdll.dll|user32.dll) ;;
        gdi32.dll|comctl32.dll|imagehlp.dll) [ "${lib##*.}" = exe ] || { foreign=1; echo "not for the library: $dll"; } ;;
        *) foreign=1; echo "not a Windows DLL: $dll" ;;
      esac
    done
    check "imports only Windows' own DLLs" $([ $foreign = 0 ] && echo 1 || echo 0)
    check "imports kernel32" $(case " $imports " in *" kernel32.dll "*) echo 1 ;; *) echo 0 ;; esac)
    k32=$(printf '%s\n' "$functions" | awk '$2 ~ /^K32/ { print $1 ":" $2 }' | xargs)
    check "no K32 function (got: ${k32:-none})" $([ -z "$k32" ] && echo 1 || echo 0)
    check "GetProcessMemoryInfo from psapi.dll" \
      $(printf '%s\n' "$functions" | grep -qx "psapi.dll GetProcessMemoryInfo" && echo 1 || echo 0)
    if [ "${lib##*.}" = dll ]; then
      # The name table follows "[Ordinal/Name Pointer] Table": "[   0] name".
      names=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
              sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]\+\([^[:space:]]*\)$/\1/p' | sort | xargs)
      echo "exports: $names"
      check "exactly the eleven names, undecorated (got: $names)" $([ "$names" = "$expected" ] && echo 1 || echo 0)
    fi
    ;;
  *)
    names=$("$nm" -D --defined-only "$lib" | awk '{print $NF}' | sort | xargs)
    needed=$("$objdump" -p "$lib" | sed -n 's/^[[:space:]]*NEEDED[[:space:]]*//p' | xargs)
    echo "dynamic symbols: $names"
    echo "needs: $needed"
    check "needs no desktop libraries" $(case " $needed " in *libX11*|*libxcb*) echo 0 ;; *) echo 1 ;; esac)
    check "exactly the eleven names, undecorated (got: $names)" $([ "$names" = "$expected" ] && echo 1 || echo 0)
    ;;
esac
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
