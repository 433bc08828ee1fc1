#!/usr/bin/env bash
# Brings a fresh Debian 12 machine to the point where every target builds and
# every test runs. Idempotent: when nothing is missing it only checks and
# prints nothing.
#
# A bad mirror day must not stop the tests: `apt-get update` is retried and a
# failing index is only a warning; an install that fails is tried again
# preferring the release's own versions (a half-synced security suite can
# offer amd64 updates whose i386 twins are missing), then package by package.
# What still cannot be installed is named with the suites that will be
# skipped for it, and the script ends with status 0 unless the native build
# itself cannot be made.
set -uo pipefail

# Each group: the packages, then what goes without them.
declare -A group_packages=(
  [native]="build-essential cmake ninja-build pkg-config googletest libgtest-dev libx11-dev libpng-dev"
  [mingw32]="g++-mingw-w64-i686-posix binutils-mingw-w64-i686"
  [mingw64]="g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64"
  [wine64]="wine wine64"
  [wine32]="wine32:i386"
  [window]="xvfb xdotool x11-utils imagemagick librsvg2-bin"
  [monitors]="x11-xserver-utils"
  [clang]="clang libclang-rt-14-dev"
  [style]="clang-format"
  [font]="console-setup-linux"
  [peers]="htop sysstat python3-psutil"
  [package]="dpkg-dev fakeroot file zip unzip lintian desktop-file-utils man-db"
  [prometheus]="prometheus prometheus-node-exporter"
)
declare -A group_loss=(
  [native]="nothing can be built"
  [mingw32]="the windows suite (32-bit Windows build) is skipped"
  [mingw64]="the windows64 suite (x86-64 Windows build) is skipped"
  [wine64]="every Windows test run is skipped (the static checks of the Windows files still run)"
  [wine32]="the 32-bit Windows test runs are skipped (the x86-64 build runs them)"
  [window]="the window, end-to-end and chart-rendering tests skip themselves"
  [monitors]="the test of the window on a screen with two monitors (xrandr) skips itself"
  [clang]="the fuzz suite is skipped"
  [style]="the format check of the C and C++ files skips itself"
  [font]="tools/make_font.py cannot regenerate the screen font (the generated table is committed)"
  [peers]="the benchmark peers top/htop/pidstat/psutil are left out of bench/run.sh"
  [package]="make package cannot make the release files, and the package suite is skipped"
  [prometheus]="the Prometheus tests of corvlog (backfill, node_exporter) skip themselves"
)
groups=(native mingw32 mingw64 wine64 wine32 window monitors clang style font peers package prometheus)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing_of() {  # missing_of GROUP: the group's packages not installed
  local p
  for p in ${group_packages[$1]}; do installed "$p" || echo "$p"; done
}

missing=()
for g in "${groups[@]}"; do
  while read -r p; do [ -n "$p" ] && missing+=("$p"); done < <(missing_of "$g")
done
[ "${#missing[@]}" -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi

# A failing index (a mirror caught mid-sync) leaves the others usable.
for attempt in 1 2 3; do
  if as_root apt-get update -qq 2>/tmp/corv-apt-update.err; then break; fi
  if [ "$attempt" -eq 3 ]; then
    echo "setup: warning: apt-get update still reports errors; going on with the lists it has:" >&2
    grep -E '^(E|W):' /tmp/corv-apt-update.err | head -5 | sed 's/^/setup:   /' >&2
  else
    sleep $((attempt * 5))
  fi
done
rm -f /tmp/corv-apt-update.err

apt_install() {  # apt_install [apt options] PACKAGE...
  as_root apt-get install -y -qq --no-install-recommends "$@" >/tmp/corv-apt-install.log 2>&1
}
release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
install_all() {  # the list at once, then with the release preferred
  apt_install "$@" && return 0
  [ -n "$release" ] && apt_install -t "$release" "$@"
}
if ! install_all "${missing[@]}"; then
  echo "setup: the install failed as a whole; trying each package on its own" >&2
  for p in "${missing[@]}"; do installed "$p" || install_all "$p" || true; done
fi

status=0
for g in "${groups[@]}"; do
  left=$(missing_of "$g" | tr '\n' ' ')
  [ -z "$left" ] && continue
  echo "setup: could not install ${left% }: ${group_loss[$g]}" >&2
  [ "$g" = native ] && status=1
done
[ "$status" -ne 0 ] && tail -5 /tmp/corv-apt-install.log >&2
rm -f /tmp/corv-apt-install.log
exit "$status"
