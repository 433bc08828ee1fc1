#!/usr/bin/env bash
# Runs every fuzz target of a linux-fuzz build for a bounded time, each on a
# scratch copy of its seed corpus (the repository's corpus never changes),
# with its regression inputs as a second, read-only corpus.
#   fuzz/run_fuzzers.sh BUILD_DIR [SECONDS_PER_TARGET] [TARGET...]
# Fails when a target finds a crash, a sanitizer report, a violated
# invariant, a timeout or a memory blow-up; the input is kept under
# BUILD_DIR/fuzz-artifacts/<target>/ (copy it to fuzz/regressions/<target>/).
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "$1" && pwd)"
seconds="${2:-25}"
shift $(( $# >= 2 ? 2 : 1 ))
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  targets=(headless_selection log_writer surface_drawing surface_queues probe_index corvlog_reader)
fi

status=0
for target in "${targets[@]}"; do
  binary="$build/fuzz/fuzz_$target"
  work="$build/fuzz-work/$target"
  artifacts="$build/fuzz-artifacts/$target"
  rm -rf "$work"
  mkdir -p "$work" "$artifacts"
  cp "$here/corpus/$target/"* "$work/"
  log="$build/fuzz-work/$target.log"
  printf 'fuzz %-20s %ss ... ' "$target" "$seconds"
  if ASAN_OPTIONS="detect_leaks=1:abort_on_error=0" UBSAN_OPTIONS="print_stacktrace=1" \
     "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$artifacts/" "$work" "$here/regressions/$target" >"$log" 2>&1; then
    echo "ok ($(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs)"
  else
    echo "FOUND SOMETHING (log: $log)"
    tail -n 40 "$log"
    status=1
  fi
done
exit $status
