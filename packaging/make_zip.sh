#!/usr/bin/env bash
# Puts Corvane-<version>-windows.zip together from the 32-bit Windows build
# and the x86-64 build's DLL:
#   make_zip.sh BUILD32 BUILD64 OUTDIR
# Each build folder lists its files in zip-files.txt (packaging/CMakeLists.txt).
# The zip holds one folder, Corvane-<version>-windows/:
#   Corvane.exe corvlog.exe corvprobe.dll     the 32-bit product
#   libcorvprobe.dll.a corvprobe.def          to link against the DLL (MinGW; MSVC via the .def)
#   include/corvprobe.h  examples/            the header, the C and Python examples
#   x64/corvprobe.dll x64/libcorvprobe.dll.a  the library for 64-bit programs
#   README.txt                                this project's README, CR LF
# The programs and DLLs are stripped copies of the build's files.
set -euo pipefail
build32=$1 build64=$2 out=$3
src=$(cd "$(dirname "$0")/.." && pwd)

field() {  # field LISTFILE NAME: the NAME=... line's value
  local value
  value=$(sed -n "s/^$2=//p" "$1")
  [ -n "$value" ] || { echo "make_zip.sh: $1 names no $2" >&2; exit 1; }
  echo "$value"
}
list32=$build32/zip-files.txt list64=$build64/zip-files.txt
for list in "$list32" "$list64"; do
  [ -f "$list" ] || { echo "make_zip.sh: $list is missing (configure that build first)" >&2; exit 1; }
done
version=$(field "$list32" version)
[ "$(field "$list64" version)" = "$version" ] ||
  { echo "make_zip.sh: the two Windows builds are of different versions" >&2; exit 1; }
name=Corvane-$version-windows
stage=$(mktemp -d "${TMPDIR:-/tmp}/corv-zip.XXXXXX")
trap 'rm -rf "$stage"' EXIT
top=$stage/$name
mkdir -p "$top/include" "$top/examples" "$top/x64"

strip32=$(field "$list32" strip) strip64=$(field "$list64" strip)
"$strip32" --strip-unneeded -o "$top/Corvane.exe" "$(field "$list32" corvane)"
"$strip32" --strip-unneeded -o "$top/corvlog.exe" "$(field "$list32" corvlog)"
"$strip32" --strip-unneeded -o "$top/corvprobe.dll" "$(field "$list32" dll)"
cp "$(field "$list32" implib)" "$top/libcorvprobe.dll.a"
"$strip64" --strip-unneeded -o "$top/x64/corvprobe.dll" "$(field "$list64" dll)"
cp "$(field "$list64" implib)" "$top/x64/libcorvprobe.dll.a"
cp "$src/libprobe/corvprobe.def" "$top/"
cp "$src/libprobe/corvprobe.h" "$top/include/"
cp "$src/libprobe/examples/list_processes.c" "$src/libprobe/examples/top.py" "$top/examples/"

# The README as plain text for Notepad: CR LF, UTF-8 with a byte order mark,
# without the pictures (they are not in the zip).
python3 - "$src/README.md" "$top/README.txt" <<'PY'
import re, sys
text = open(sys.argv[1], encoding='utf-8').read()
text = re.sub(r'!\[[^\]]*\]\([^)]*\)\n\n?', '', text)
with open(sys.argv[2], 'w', encoding='utf-8-sig', newline='\r\n') as f:
    f.write(text)
PY

mkdir -p "$out"
rm -f "$out/$name.zip"
(cd "$stage" && zip -q -r -X "$name.zip" "$name")
mv "$stage/$name.zip" "$out/"
echo "$out/$name.zip"
