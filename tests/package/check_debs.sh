#!/usr/bin/env bash
# The .deb packages of `make package` as a user gets them, without installing
# them on this machine: extracted with dpkg -x into a scratch tree, the
# program runs a headless session from there, corvlog reads its log, and the
# C example is built against the extracted -dev files (pkg-config and
# find_package) and run against the extracted library.
#   check_debs.sh PACKAGE_DIR VERSION WORK_DIR C_COMPILER SOURCE_DIR
# Prints "N passed, N failed"; status 77 when the packages are not made yet.
set -u
dir=$1 version=$2 work=$3 cc=$4 src=$5
arch=$(dpkg --print-architecture)
program=$dir/corvane_${version}_$arch.deb
runtime=$dir/libcorvprobe1_${version}_$arch.deb
dev=$dir/libcorvprobe-dev_${version}_$arch.deb
for deb in "$program" "$runtime" "$dev"; do
  if [ ! -f "$deb" ]; then echo "skipped: $deb is not made yet (make package)"; exit 77; fi
done
. "$(dirname "$0")/../support/checks.sh"
rm -rf "$work" && mkdir -p "$work/run"
root=$work/root
for deb in "$program" "$runtime" "$dev"; do dpkg -x "$deb" "$root"; done
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
lib=$root/usr/lib/$multiarch

# ---- which package holds what ------------------------------------------------
holds() {  # holds DEB PATH...: each PATH is in DEB
  local listing deb=$1; shift
  listing=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
  for p in "$@"; do grep -qx "$p" <<<"$listing" || { echo "$(basename "$deb") lacks $p"; return 1; }; done
}
check "the program package's files" holds "$program" /usr/bin/corvane /usr/bin/corvlog \
  /usr/share/applications/corvane.desktop /usr/share/man/man1/corvane.1.gz \
  /usr/share/man/man1/corvlog.1.gz /usr/share/icons/hicolor/48x48/apps/corvane.png \
  /usr/share/doc/corvane/copyright /usr/share/doc/corvane/changelog.gz
check "the runtime package's files" holds "$runtime" "/usr/lib/$multiarch/libcorvprobe.so.$version" \
  "/usr/lib/$multiarch/libcorvprobe.so.1" /usr/share/doc/libcorvprobe1/copyright
check "the -dev package's files" holds "$dev" /usr/include/corvprobe.h \
  "/usr/lib/$multiarch/libcorvprobe.so" "/usr/lib/$multiarch/pkgconfig/corvprobe.pc" \
  "/usr/lib/$multiarch/cmake/corvprobe/corvprobeConfig.cmake" \
  "/usr/lib/$multiarch/cmake/corvprobe/corvprobeConfigVersion.cmake" \
  /usr/share/man/man3/corvprobe.3.gz /usr/share/corvprobe/examples/list_processes.c
check "the runtime package holds no development files" \
  sh -c '! dpkg-deb -c "$1" | grep -E "libcorvprobe\.so$|\.h$|\.pc$"' - "$runtime"

# ---- the version and the library's names -----------------------------------
check "SONAME libcorvprobe.so.1" sh -c \
  'readelf -d "$1" | grep -q "Library soname: \[libcorvprobe.so.1\]"' - "$lib/libcorvprobe.so.$version"
check "libcorvprobe.so.1 -> libcorvprobe.so.$version" test "$(readlink "$lib/libcorvprobe.so.1")" = "libcorvprobe.so.$version"
check "libcorvprobe.so -> libcorvprobe.so.1" test "$(readlink "$lib/libcorvprobe.so")" = libcorvprobe.so.1
check "corvprobe.pc version" grep -qx "Version: $version" "$lib/pkgconfig/corvprobe.pc"
check "CMake package version" grep -q "PACKAGE_VERSION \"$version\"" "$lib/cmake/corvprobe/corvprobeConfigVersion.cmake"
for deb in "$program" "$runtime" "$dev"; do
  check "$(basename "$deb") version" test "$(dpkg-deb -f "$deb" Version)" = "$version"
done
check "changelog version" sh -c 'zcat "$1" | head -1 | grep -q "^corvane ($2)"' - \
  "$root/usr/share/doc/corvane/changelog.gz" "$version"
# dpkg-shlibdeps found the C library; the -dev package needs this very runtime.
check "program Depends from dpkg-shlibdeps" sh -c 'dpkg-deb -f "$1" Depends | grep -q "libc6 (>= "' - "$program"
check "runtime Depends from dpkg-shlibdeps" sh -c 'dpkg-deb -f "$1" Depends | grep -q "libstdc++6 (>= "' - "$runtime"
check "-dev depends on this runtime" test "$(dpkg-deb -f "$dev" Depends)" = "libcorvprobe1 (= $version)"
check "runtime shlibs" sh -c 'dpkg-deb -I "$1" shlibs | grep -qx "libcorvprobe 1 libcorvprobe1 (>= $2)"' - "$runtime" "$version"
check "runtime ldconfig trigger" sh -c 'dpkg-deb -I "$1" triggers | grep -qx "activate-noawait ldconfig"' - "$runtime"
# The symbols file names exactly the library's exports.
check "symbols file matches the exports" bash -c \
  'diff <(dpkg-deb -I "$1" symbols | sed -n "s/^ \([a-z]*\)@Base .*/\1/p" | sort) \
        <(nm -D --defined-only "$2" | awk "\$2 == \"T\" {print \$3}" | sort)' - "$runtime" "$lib/libcorvprobe.so.$version"

# ---- menu entry, icons, manual pages ----------------------------------------
if command -v desktop-file-validate >/dev/null; then
  check "desktop-file-validate" desktop-file-validate "$root/usr/share/applications/corvane.desktop"
fi
check "the menu entry starts corvane with its icon" sh -c \
  'grep -qx "Exec=corvane" "$1" && grep -qx "Icon=corvane" "$1"' - "$root/usr/share/applications/corvane.desktop"
icon_sizes() {
  local png size
  for png in "$root"/usr/share/icons/hicolor/*/apps/corvane.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    # a PNG whose header says the size its folder names
    python3 - "$png" "$size" <<'PY' || return 1
import struct, sys
data = open(sys.argv[1], 'rb').read(24)
w, h = struct.unpack('>II', data[16:24])
sys.exit(0 if data[:8] == b'\x89PNG\r\n\x1a\n' and f'{w}x{h}' == sys.argv[2] else 1)
PY
  done
}
check "icons are PNGs of their folder's size" icon_sizes
check "icons in 16x16 to 256x256" sh -c 'ls "$1"/usr/share/icons/hicolor | grep -c x | grep -qx 8' - "$root"
if command -v man >/dev/null; then
  for page in man1/corvane.1 man1/corvlog.1 man3/corvprobe.3; do
    name=$(basename "$page" | cut -d. -f1)
    # man -l renders it, and groff has nothing to say about it
    check "man -l $page" sh -c 'out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$1" 2>"$2") &&
      [ ! -s "$2" ] && printf "%s\n" "$out" | grep -q "^NAME" && printf "%s\n" "$out" | grep -qi "^ *$3 "' \
      - "$root/usr/share/man/$page.gz" "$work/man.err" "$name"
  done
fi

# ---- the program from the extracted tree ------------------------------------
# A child with a name of its own to select; a one-second session at 200 ms
# writes five records of it.
cp "$(command -v sleep)" "$work/run/corvpkgsleeper"
"$work/run/corvpkgsleeper" 60 &
sleeper=$!
trap 'kill $sleeper 2>/dev/null' EXIT
check "corvane logs headlessly" env -u DISPLAY "$root/usr/bin/corvane" corvpkgsleeper 1 200 "$work/run/session"
check "the log has its header" grep -q "^Log vom " "$work/run/session.txt"
check "the log has five records of the child" sh -c \
  'test "$(grep -c " corvpkgsleeper  *[0-9]*% CPU  *[0-9]* KB RAM" "$1")" = 5' - "$work/run/session.txt"
check "corvlog reads it back" sh -c '"$1" summary "$2" >"$3" && grep -q "^corvpkgsleeper  *1  *5 " "$3"' \
  - "$root/usr/bin/corvlog" "$work/run/session.txt" "$work/run/summary.txt"
kill $sleeper 2>/dev/null

# ---- the C example against the extracted -dev files -------------------------
example=$root/usr/share/corvprobe/examples/list_processes.c
flags=$(PKG_CONFIG_PATH="$lib/pkgconfig" pkg-config --cflags --libs corvprobe 2>"$work/pc.err")
check "pkg-config finds corvprobe in the tree" sh -c 'test -n "$1" && case "$1" in *"$2"*) ;; *) exit 1 ;; esac' - "$flags" "$root"
check "the example builds with pkg-config" "$cc" -std=c11 -Wall -Wextra -Werror -o "$work/run/list_pc" "$example" $flags
mkdir -p "$work/consumer"
cat >"$work/consumer/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(consumer C)
find_package(corvprobe $version EXACT REQUIRED)
add_executable(list_processes "$example")
target_link_libraries(list_processes PRIVATE corvprobe::corvprobe)
CMAKE
check "find_package(corvprobe $version) in the tree" cmake -S "$work/consumer" -B "$work/consumer/build" \
  -G Ninja -DCMAKE_C_COMPILER="$cc" -DCMAKE_PREFIX_PATH="$root/usr" -DCMAKE_FIND_PACKAGE_NO_SYSTEM_PACKAGE_REGISTRY=ON
check "the example builds with find_package" cmake --build "$work/consumer/build"
for exe in "$work/run/list_pc" "$work/consumer/build/list_processes"; do
  check "$(basename "$exe") runs against the extracted library" sh -c \
    'export LD_LIBRARY_PATH="$1"; "$2" >"$3" && grep -q "^CPU load [0-9]* %" "$3" &&
     ldd "$2" | grep -q "libcorvprobe.so.1 => $1/libcorvprobe.so.1"' - "$lib" "$exe" "$work/run/out.txt"
done
check "the Python example loads libcorvprobe.so.1" sh -c \
  'LD_LIBRARY_PATH="$1" python3 "$2" "" 1 >"$3" && grep -q "^load [0-9]* %" "$3"' - "$lib" \
  "$root/usr/share/corvprobe/examples/top.py" "$work/run/top.txt"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
