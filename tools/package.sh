#!/usr/bin/env bash
# `make package`: the release files in build/package/ (CORV_PACKAGE_DIR, a
# folder it makes or one that is empty; it replaces only files it made):
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
# CORV_PACKAGE_DIR may name any folder (~/Downloads): only what packaging
# made there is ever removed. It lists its files in $marker; a folder that
# holds files without that list is not packaging's, and is refused.
marker=.corvane-package-files
if [ -e "$out" ] && [ ! -d "$out" ]; then
  echo "make package: $out is not a folder (CORV_PACKAGE_DIR)" >&2
  exit 1
fi
if [ -d "$out" ] && [ ! -f "$out/$marker" ] && [ -n "$(ls -A "$out")" ]; then
  echo "make package: $out holds files that make package did not make; name an empty or new folder" \
       "(cmake -D CORV_PACKAGE_DIR=...) or empty it yourself" >&2
  exit 1
fi
mkdir -p "$out"
if [ -f "$out/$marker" ]; then
  while IFS= read -r made; do
    case "$made" in */*|.|..|'') continue ;; esac  # a name in the folder itself, nothing else
    rm -f -- "$out/$made"
  done <"$out/$marker"
fi
: >"$out/$marker"
before=$(ls -A "$out")
(cd build/linux && cpack -G DEB --config CPackConfig.cmake >cpack.log 2>&1) ||
  { tail -30 build/linux/cpack.log >&2; echo "make package: cpack failed (build/linux/cpack.log)" >&2; exit 1; }
bash packaging/make_zip.sh build/windows build/windows64 "$out" >/dev/null
# The files this run made, for the next run to replace.
comm -13 <(printf '%s\n' "$before" | sort) <(ls -A "$out" | sort) >"$out/$marker"
echo "make package: in $out"
ls -l "$out" | sed -n 's/^[^ ]* *[0-9]* [^ ]* *[^ ]* *\([0-9]*\) .* \([^ ]*\)$/  \2  (\1 bytes)/p'
