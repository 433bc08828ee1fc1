#!/usr/bin/env bash
# `make package` and the folder it writes to: CORV_PACKAGE_DIR is
# a settable path, so tools/package.sh must never remove what it did not
# make. It runs here on a copy of the script in a scratch tree, with the
# builds, cpack and the zip script stood in for by stubs that only drop the
# release files' names:
#   package_folder_test.sh SOURCE_DIR
# Prints "N passed, N failed".
set -u
src=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/corv-package-folder.XXXXXX")
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() {  # check WHAT CONDITION...
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}

tree=$work/tree stubs=$work/stubs
mkdir -p "$tree/tools" "$tree/packaging" "$tree/build/linux" "$stubs"
cp "$src/tools/package.sh" "$tree/tools/"
for tool in i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix dpkg-shlibdeps fakeroot zip cmake; do
  printf '#!/bin/sh\nexit 0\n' >"$stubs/$tool"
done
cat >"$stubs/cpack" <<'EOF'
#!/bin/sh
for deb in corvane_1.0.1_amd64.deb libcorvprobe1_1.0.1_amd64.deb libcorvprobe-dev_1.0.1_amd64.deb; do
  echo new >"$STUB_OUT/$deb"
done
EOF
cat >"$tree/packaging/make_zip.sh" <<'EOF'
echo new >"$3/Corvane-1.0.1-windows.zip"
EOF
chmod +x "$stubs"/*

package() {  # package OUT: runs the script with CORV_PACKAGE_DIR=OUT; its status
  printf 'CORV_PACKAGE_DIR:PATH=%s\n' "$1" >"$tree/build/linux/CMakeCache.txt"
  STUB_OUT=$1 PATH="$stubs:$PATH" bash "$tree/tools/package.sh" >"$work/out.txt" 2>"$work/err.txt"
}
made() {  # made OUT: the release files are there, fresh
  for f in corvane_1.0.1_amd64.deb libcorvprobe1_1.0.1_amd64.deb libcorvprobe-dev_1.0.1_amd64.deb \
           Corvane-1.0.1-windows.zip; do
    [ "$(cat "$1/$f" 2>/dev/null)" = new ] || return 1
  done
}

# A new folder: made, and the files in it.
out=$work/new/package
package "$out"
check "a new folder: status 0" test $? = 0
check "a new folder: the release files" made "$out"
# Again: the files are replaced.
echo old >"$out/corvane_1.0.1_amd64.deb"
package "$out"
check "again: status 0" test $? = 0
check "again: the files replaced" made "$out"

# A folder of the user's (~/Downloads): refused, every file kept.
downloads=$work/Downloads
mkdir -p "$downloads/photos"
echo mine >"$downloads/tax return.pdf"
echo mine >"$downloads/photos/cat.jpg"
echo mine >"$downloads/corvane_1.0.0_amd64.deb"
package "$downloads"
check "a folder of the user's: status 1" test $? = 1
check "a folder of the user's: says why" grep -q "did not make" "$work/err.txt"
check "a folder of the user's: its files kept" test "$(cat "$downloads/tax return.pdf" "$downloads/photos/cat.jpg" \
  "$downloads/corvane_1.0.0_amd64.deb")" = "$(printf 'mine\nmine\nmine')"
check "a folder of the user's: nothing added" test "$(ls -A "$downloads" | wc -l)" = 3

# An empty folder of the user's is taken; files the user adds later stay,
# and only what packaging made is replaced.
empty=$work/empty
mkdir -p "$empty"
package "$empty"
check "an empty folder: status 0" test $? = 0
check "an empty folder: the release files" made "$empty"
echo mine >"$empty/notes.txt"
package "$empty"
check "a later run: status 0" test $? = 0
check "a later run: the user's file kept" test "$(cat "$empty/notes.txt")" = mine
check "a later run: the release files" made "$empty"
# The list of made files names files in the folder only.
echo mine >"$work/outside.txt"
printf '%s\n' ../outside.txt "$work/outside.txt" . .. >>"$empty/.corvane-package-files"
package "$empty"
check "a list naming other places: nothing outside removed" test "$(cat "$work/outside.txt")" = mine
check "a list naming other places: the folder kept" test -f "$empty/notes.txt"

# A file where the folder should be.
echo mine >"$work/plain"
package "$work/plain"
check "a file as the folder: status 1" test $? = 1
check "a file as the folder: kept" test "$(cat "$work/plain")" = mine

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
