#!/usr/bin/env bash
# `make package`: the release files in build/package/ (CORV_PACKAGE_DIR):
#   Corvane-<version>-windows.zip   from the windows and windows64 presets
#   corvane_<version>_<arch>.deb, libcorvprobe1_..., libcorvprobe-dev_...
#                                   from the linux preset, by CPack
# Builds only what the files hold. The package suite of tools/test_all.sh
# runs this and then the tests labelled "package" in the three presets.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix dpkg-shlibdeps fakeroot zip python3; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "make package: $tool is not installed (tools/setup.sh installs it)" >&2
    exit 1
  fi
done
for preset in linux windows windows64; do
  cmake --preset "$preset" >/dev/null
done
nice cmake --build build/linux -j2 --target Corvane corvlog corvprobe corv_package_files
nice cmake --build build/windows -j2 --target Corvane corvlog corvprobe
nice cmake --build build/windows64 -j2 --target corvprobe
out=$(sed -n 's/^CORV_PACKAGE_DIR:PATH=//p' build/linux/CMakeCache.txt)
rm -rf "$out"
mkdir -p "$out"
(cd build/linux && cpack -G DEB --config CPackConfig.cmake >cpack.log 2>&1) ||
  { tail -30 build/linux/cpack.log >&2; echo "make package: cpack failed (build/linux/cpack.log)" >&2; exit 1; }
bash packaging/make_zip.sh build/windows build/windows64 "$out" >/dev/null
echo "make package: in $out"
ls -l "$out" | sed -n 's/^[^ ]* *[0-9]* [^ ]* *[^ ]* *\([0-9]*\) .* \([^ ]*\)$/  \2  (\1 bytes)/p'
