#!/usr/bin/env bash
# Checks the built library's export table and imports:
#   check_exports.sh LIBRARY OBJDUMP NM
# A DLL must export exactly the eleven undecorated names and import only
# Windows' own DLLs; a shared object must define exactly the eleven dynamic
# symbols. Prints "N passed, N failed".
set -u
lib=$1 objdump=$2 nm=$3
expected="cvclock cvcpu cvpcpu cvpid cvpkill cvplist cvpnam cvpram cvram cvsleep cvusedram"
passed=0 failed=0
check() {  # check WHAT OK
  if [ "$2" = 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1"; fi
}

case "$lib" in
  *.dll)
    dump=$("$objdump" -p "$lib") || { echo "cannot read $lib"; echo "0 passed, 1 failed"; exit 1; }
    # The name table follows "[Ordinal/Name Pointer] Table": "[   0] name".
    names=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
            sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]\+\([^[:space:]]*\)$/\1/p' | sort | xargs)
    imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | xargs)
    echo "exports: $names"
    echo "imports: $imports"
    foreign=0
    for dll in $imports; do
      case "$dll" in
        kernel32.dll|psapi.dll|msvcrt.dll|advapi32.dll|ntdll.dll|user32.dll) ;;
        *) foreign=1; echo "not a Windows DLL: $dll" ;;
      esac
    done
    check "imports only Windows' own DLLs" $([ $foreign = 0 ] && echo 1 || echo 0)
    check "imports kernel32" $(case " $imports " in *" kernel32.dll "*) echo 1 ;; *) echo 0 ;; esac)
    ;;
  *)
    names=$("$nm" -D --defined-only "$lib" | awk '{print $NF}' | sort | xargs)
    needed=$("$objdump" -p "$lib" | sed -n 's/^[[:space:]]*NEEDED[[:space:]]*//p' | xargs)
    echo "dynamic symbols: $names"
    echo "needs: $needed"
    check "needs no desktop libraries" $(case " $needed " in *libX11*|*libxcb*) echo 0 ;; *) echo 1 ;; esac)
    ;;
esac
check "exactly the eleven names, undecorated (got: $names)" $([ "$names" = "$expected" ] && echo 1 || echo 0)
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
