#!/usr/bin/env bash
# `make test`: every suite, even when one fails, then one table and one
# verdict. A suite whose tools could not be installed on this machine is
# skipped with the reason; inside a suite, CTest reports the runs this machine
# cannot make (32-bit programs where it cannot execute them) as skipped.
#   tools/test_all.sh [SUITE...]   suites: linux windows windows64 package asan tsan fuzz bench
# The package suite makes the release files (tools/package.sh, from the
# three builds before it) and runs the tests labelled "package" in those
# builds; the other suites leave those tests out.
# Exit status 1 when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
all=(linux windows windows64 package asan tsan fuzz bench)
suites=("$@")
[ "${#suites[@]}" -eq 0 ] && suites=("${all[@]}")
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
start_all=$SECONDS

# Tools a suite cannot go without; a missing one skips it with its name.
needs() {
  case "$1" in
    windows) echo i686-w64-mingw32-g++-posix ;;
    windows64) echo x86_64-w64-mingw32-g++-posix ;;
    fuzz) echo clang++-14 ;;
    package) echo i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix dpkg-shlibdeps fakeroot zip unzip ;;
  esac
}
preset_of() { case "$1" in asan) echo linux-asan ;; tsan) echo linux-tsan ;; fuzz) echo linux-fuzz ;; bench) echo linux ;; *) echo "$1" ;; esac; }

# The benchmarks' sections, each of which must end in its table.
bench_sections=("Cycle cost" "Pacing" "Footprint and start-up" "Scale" "Long run" "corvlog")

# The threaded parts under ThreadSanitizer; the sanitizers leave out the slow
# end-to-end window runs.
ctest_args() {
  case "$1" in
    linux|windows|windows64) echo "-LE ^package\$" ;;
    asan) echo "-E ^e2e_" ;;
    tsan) echo "-R test_sampling_loop|test_input|test_screen\$|test_log|test_entry|test_robust_churn" ;;
  esac
}

record() {  # record SUITE PASSED FAILED SKIPPED MINUTES NOTE
  printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$@" >"$results/$1"
}

run_suite() {
  local suite=$1 preset tool log t0 passed failed skipped note
  preset=$(preset_of "$suite")
  t0=$SECONDS
  for tool in $(needs "$suite"); do
    if ! command -v "$tool" >/dev/null 2>&1; then
      record "$suite" 0 0 all "0" "skipped: $tool is not installed (see tools/setup.sh)"
      return
    fi
  done
  if [ "$suite" = package ]; then
    run_package_suite "$t0"
    return
  fi
  echo "=== $suite: configure and build (preset $preset)"
  if ! cmake --preset "$preset" || ! cmake --build --preset "$preset"; then
    record "$suite" 0 1 0 $(((SECONDS - t0 + 30) / 60)) "the build failed"
    return
  fi
  log="$results/$suite.log"
  echo "=== $suite: tests"
  if [ "$suite" = bench ]; then
    # A smoke run: that every benchmark still builds, runs and prints its
    # table. Its figures are not judged (seconds of a busy machine say little).
    local section table status
    bash bench/run.sh --smoke --build-dir "build/$preset" >"$log.md" 2>"$log"
    status=$?
    cat "$log.md"
    passed=0 failed=0
    for section in "${bench_sections[@]}"; do
      table=$(awk -v h="## $section" '$0 == h {on = 1; next} /^## / {on = 0} on && /^\|/ {n++} END {print n + 0}' "$log.md")
      if [ "$table" -ge 3 ]; then
        passed=$((passed + 1))
      else
        failed=$((failed + 1))
        echo "bench: the section \"$section\" printed no table"
      fi
    done
    if [ "$status" -ne 0 ]; then
      failed=$((failed + 1))
      echo "bench: run.sh ended with status $status"; tail -20 "$log"
    fi
    record "$suite" "$passed" "$failed" 0 $(((SECONDS - t0 + 30) / 60)) "smoke run, figures not judged"
    return
  fi
  if [ "$suite" = fuzz ]; then
    bash fuzz/run_fuzzers.sh "build/$preset" 20 2>&1 | tee "$log"
    passed=$(grep -c '\.\.\. ok' "$log")
    failed=$(grep -c 'FOUND SOMETHING' "$log")
    record "$suite" "$passed" "$failed" 0 $(((SECONDS - t0 + 30) / 60)) "20 s per target"
    return
  fi
  # shellcheck disable=SC2046
  ctest --preset "$preset" $(ctest_args "$suite") 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  passed=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed' "$log")
  skipped=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*\*\*\*Skipped' "$log")
  failed=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*(\*\*\*Failed|\*\*\*Timeout|\*\*\*Exception|Not Run)' "$log")
  # A ctest that failed without naming a test (no tests found, a crash of
  # its own) is a failure too.
  [ "$status" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
  note=""
  if [ "$skipped" -gt 0 ] && [ -f "build/$preset/wine-run.conf" ]; then
    note=$(sed -n 's/^skip="\(.\+\)"$/\1/p' "build/$preset/wine-run.conf")
  fi
  [ -n "${CORV_NO_I386:-}" ] && [ "$suite" = windows ] && note="32-bit runs turned off by CORV_NO_I386"
  record "$suite" "$passed" "$failed" "$skipped" $(((SECONDS - t0 + 30) / 60)) "$note"
}

# The release files, then their tests in the builds they come from (the
# Windows ones run the library driver of their own build from the zip).
run_package_suite() {
  local t0=$1 log="$results/package.log" preset status=0 passed failed skipped
  echo "=== package: make the release files"
  if ! bash tools/package.sh ||
     ! cmake --build --preset windows --target test_libprobe_driver cvp_child cvp_child_long ||
     ! cmake --build --preset windows64 --target test_libprobe_driver cvp_child cvp_child_long; then
    record package 0 1 0 $(((SECONDS - t0 + 30) / 60)) "make package failed"
    return
  fi
  : >"$log"
  for preset in linux windows windows64; do
    echo "=== package: tests in preset $preset"
    ctest --preset "$preset" -L '^package$' 2>&1 | tee -a "$log"
    [ "${PIPESTATUS[0]}" -ne 0 ] && status=1
  done
  passed=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: package_.* Passed' "$log")
  skipped=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: package_.*\*\*\*Skipped' "$log")
  failed=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*(\*\*\*Failed|\*\*\*Timeout|\*\*\*Exception|Not Run)' "$log")
  [ "$status" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
  record package "$passed" "$failed" "$skipped" $(((SECONDS - t0 + 30) / 60)) "files in build/package/"
}

for suite in "${suites[@]}"; do
  case " ${all[*]} " in *" $suite "*) run_suite "$suite" ;; *) echo "unknown suite: $suite" >&2; exit 2 ;; esac
done

echo
echo "suite       passed  failed  skipped  minutes  note"
total_passed=0 total_failed=0 total_skipped=0
for suite in "${suites[@]}"; do
  IFS=$'\t' read -r _ passed failed skipped minutes note <"$results/$suite"
  printf '%-10s %7s %7s %8s %8s  %s\n' "$suite" "$passed" "$failed" "$skipped" "$minutes" "$note"
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  [ "$skipped" != all ] && total_skipped=$((total_skipped + skipped))
done
echo "whole run: $(((SECONDS - start_all) / 60)) min $(((SECONDS - start_all) % 60)) s"
echo "total: $total_passed passed, $total_failed failed, $total_skipped skipped"
[ "$total_failed" -eq 0 ]
