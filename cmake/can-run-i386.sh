#!/usr/bin/env bash
# Tells whether this machine can execute 32-bit x86 programs: some machines
# of ours cannot at all (a kernel without IA-32 emulation), and there 32-bit
# Wine cannot start either. Runs a 93-byte static i386 ELF that only exits.
#   can-run-i386.sh  -> status 0, or status 1 and the reason on stdout
# CORV_NO_I386=1 forces the answer "cannot" (to test that road).
set -u
if [ -n "${CORV_NO_I386:-}" ] && [ "${CORV_NO_I386}" != 0 ]; then
  echo "32-bit runs turned off by CORV_NO_I386"
  exit 1
fi
probe=$(mktemp "${TMPDIR:-/tmp}/corv-i386.XXXXXX") || { echo "cannot make a scratch file"; exit 1; }
trap 'rm -f "$probe"' EXIT
# ELF header, one PT_LOAD program header at 0x08048000, then
# mov eax,1 / xor ebx,ebx / int 0x80 (exit 0).
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'\
'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'\
'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'\
'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'\
'\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'\
'\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
chmod +x "$probe"
if ! err=$(timeout 10 "$probe" 2>&1); then
  echo "this machine cannot execute 32-bit x86 programs (${err:-no reason given})"
  exit 1
fi
if [ ! -x /usr/lib/wine/wine ]; then
  echo "32-bit Wine (Debian's wine32:i386) is not installed"
  exit 1
fi
exit 0
