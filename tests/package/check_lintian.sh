#!/usr/bin/env bash
# lintian on each .deb of `make package`: no error and no warning. What it
# still notes at the info level is shown, not judged (README: "Linux
# packages" says why those notes stay).
#   check_lintian.sh PACKAGE_DIR VERSION
set -u
dir=$1 version=$2
command -v lintian >/dev/null || { echo "skipped: lintian is not installed (tools/setup.sh)"; exit 77; }
arch=$(dpkg --print-architecture)
debs=("$dir/corvane_${version}_$arch.deb" "$dir/libcorvprobe1_${version}_$arch.deb"
      "$dir/libcorvprobe-dev_${version}_$arch.deb")
for deb in "${debs[@]}"; do
  [ -f "$deb" ] || { echo "skipped: $deb is not made yet (make package)"; exit 77; }
done
log=$(mktemp) err=$(mktemp)
trap 'rm -f "$log" "$err"' EXIT
# Every level down to info (-I) and the pedantic one; lintian's own
# complaints (as about running as root) go to standard error.
lintian --tag-display-limit 0 -I --pedantic "${debs[@]}" >"$log" 2>"$err"
status=$?
out=$(cat "$log")
printf '%s\n' "$out"
if grep -qE '^[EW]: ' <<<"$out"; then
  echo "lintian: $(grep -c '^E: ' <<<"$out") errors, $(grep -c '^W: ' <<<"$out") warnings"
  exit 1
fi
# lintian itself failing (no verdict at all) is a failure too.
[ "$status" -eq 0 ] || { cat "$err"; echo "lintian ended with status $status"; exit 1; }
echo "lintian: no errors, no warnings"
