#!/usr/bin/env bash
# Installs the built library into a scratch prefix and uses it as an outside
# program would: through find_package(corvprobe) and through pkg-config, then
# runs the C example against the installed library.
#   check_package.sh SOURCE_DIR BUILD_DIR C_COMPILER TOOLCHAIN_FILE|- EMULATOR|- [C_FLAGS]
# C_FLAGS are the build's own (a sanitizer build's library needs its runtime).
# Prints "N passed, N failed"; status 77 when the checks passed but the
# example could not be run on this machine.
set -u
src=$1 build=$2 cc=$3 toolchain=$4 emulator=$5 cflags=${6:-}
work="$build/package-check"
prefix="$work/prefix"
. "$(dirname "$0")/../support/checks.sh"
rm -rf "$work" && mkdir -p "$work/run"

check "cmake --install" cmake --install "$build" --prefix "$prefix"
libdir=$(cd "$prefix" && dirname "$(find . -name corvprobe.pc | head -1)")/..
check "header installed" test -f "$prefix/include/corvprobe.h"
check "package config installed" test -f "$prefix/$libdir/cmake/corvprobe/corvprobeConfig.cmake"
case "$toolchain" in
  -) check "shared object installed" test -f "$prefix/$libdir/libcorvprobe.so" ;;
  *) check "DLL installed" test -f "$prefix/bin/corvprobe.dll"
     check "import library installed" test -f "$prefix/$libdir/libcorvprobe.dll.a"
     check ".def installed" grep -q cvpkill "$prefix/$libdir/corvprobe.def" ;;
esac

# find_package(corvprobe) -> corvprobe::corvprobe
mkdir -p "$work/consumer"
cat >"$work/consumer/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(consumer C)
find_package(corvprobe 1.0 REQUIRED)
add_executable(list_processes "$src/libprobe/examples/list_processes.c")
target_link_libraries(list_processes PRIVATE corvprobe::corvprobe)
CMAKE
args=(-S "$work/consumer" -B "$work/consumer/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_COMPILER="$cc"
      -DCMAKE_C_FLAGS="$cflags")
[ "$toolchain" != - ] && args+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
check "consumer configures with find_package" cmake "${args[@]}"
check "consumer builds" cmake --build "$work/consumer/build"

# pkg-config
flags=$(PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" pkg-config --cflags --libs corvprobe)
check "pkg-config knows corvprobe" test -n "$flags"
check "example builds with pkg-config flags" "$cc" $cflags -std=c11 -Wall -Wextra -Werror \
  -o "$work/run/list_pc" "$src/libprobe/examples/list_processes.c" $flags

# Run the find_package build against the installed library.
if [ "$toolchain" = - ]; then
  check "example runs" sh -c 'LD_LIBRARY_PATH="$1" "$2" >"$3"' - "$prefix/$libdir" \
    "$work/consumer/build/list_processes" "$work/run.log"
else
  cp "$work/consumer/build/list_processes.exe" "$prefix/bin/corvprobe.dll" "$work/run/"
  # A machine that cannot run this build's programs skips the run (status 77
  # at the end), after the install and build checks above.
  if ! why=$(bash "$emulator" --check "$work/run/list_processes.exe"); then
    skipped_run=$why
  else
    check "example runs" sh -c '"$1" "$2" >"$3"' - "$emulator" "$work/run/list_processes.exe" "$work/run.log"
  fi
fi
[ -z "${skipped_run:-}" ] && check "example printed the load" grep -q "CPU load" "$work/run.log"
if [ "$toolchain" = - ] && command -v python3 >/dev/null && [[ "$cflags" != *sanitize* ]]; then
  check "ctypes example runs" sh -c 'python3 "$1" "$2" 1 >"$3"' - "$src/libprobe/examples/top.py" \
    "$prefix/$libdir/libcorvprobe.so" "$work/top.log"
  check "ctypes example printed the load" grep -q "^load [0-9]* %" "$work/top.log"
fi
echo "$passed passed, $failed failed"
[ "$failed" = 0 ] || exit 1
if [ -n "${skipped_run:-}" ]; then echo "the example's run: $skipped_run"; exit 77; fi
