#!/usr/bin/env bash
# Corvane's benchmarks in one run; prints markdown tables on stdout (progress
# on stderr). These are figures, not tests.
#
#   bash bench/run.sh                  full run, about 25 minutes
#   bash bench/run.sh --quick          a short run of every section
#   bash bench/run.sh --smoke          seconds per section: that each one
#                                      still runs (make test); figures moot
#   bash bench/run.sh --only pacing    only the named sections (comma list)
#   bash bench/run.sh --skip long      all but the named sections
#   bash bench/run.sh --long-minutes 30
#
# Sections: cycle (cycle cost against top, htop, pidstat, psutil and a
# minimal /proc reader), headless (a headless session logging one process
# at 200 ms, with and without 2,000 extra processes, against pidstat -p and
# a reader of one /proc/PID/stat), pacing (a headless session at 100 ms), footprint
# (memory and start-up of the window and of a headless run), scale
# (bench_scale, when built), long (the window under process churn), corvlog
# (corvlog reading a generated 10-hour log: MB/s and peak memory; follow's
# CPU beside a session written in real time).
#
# It builds with the linux preset (build/linux); BUILD_DIR=<folder> or
# --build-dir <folder> builds and uses that folder instead. It starts its own
# Xvfb for the window sections and ends it, and every other process it
# started, on exit.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
python=/usr/bin/python3   # the system interpreter, which has psutil

quick=0
smoke=0
only=""
skip=""
long_minutes=""
build_dir="${BUILD_DIR:-}"
all_sections="cycle headless pacing footprint scale long corvlog"

usage() { sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//'; }

while [ $# -gt 0 ]; do
  case "$1" in
    --quick) quick=1 ;;
    --smoke) quick=1; smoke=1 ;;
    --only) only="${2:?--only needs a section list}"; shift ;;
    --only=*) only="${1#*=}" ;;
    --skip) skip="${2:?--skip needs a section list}"; shift ;;
    --skip=*) skip="${1#*=}" ;;
    --long-minutes) long_minutes="${2:?--long-minutes needs a number}"; shift ;;
    --long-minutes=*) long_minutes="${1#*=}" ;;
    --build-dir) build_dir="${2:?--build-dir needs a folder}"; shift ;;
    --build-dir=*) build_dir="${1#*=}" ;;
    -h|--help) usage; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
  shift
done

for s in ${only//,/ } ${skip//,/ }; do
  case " $all_sections " in *" $s "*) ;; *) echo "run.sh: unknown section $s (one of: $all_sections)" >&2; exit 2 ;; esac
done
wanted() {
  if [ -n "$only" ]; then case ",$only," in *",$1,"*) ;; *) return 1 ;; esac; fi
  case ",$skip," in *",$1,"*) return 1 ;; esac
  return 0
}

# Lengths of the sections: full run / --quick.
extra_processes=2000
scale_counts=()
if [ "$smoke" = 1 ]; then
  cycles=2; warm=0.5; pacing_seconds=3; foot_runs=1; hold=1; long_warmup=2; headless_seconds=1
  extra_processes=20; scale_counts=(100 200)
  : "${long_minutes:=0.1}"
elif [ "$quick" = 1 ]; then
  cycles=4; warm=1.5; pacing_seconds=20; foot_runs=1; hold=2; long_warmup=10; headless_seconds=4
  : "${long_minutes:=1}"
else
  cycles=20; warm=3; pacing_seconds=600; foot_runs=3; hold=4; long_warmup=30; headless_seconds=10
  : "${long_minutes:=8}"
fi

# --- clean-up of everything started here ---------------------------------------
xvfb_pid=""
display=""
child_pid=""
scratch=$(mktemp -d /tmp/corv-bench.XXXXXX)
cleanup() {
  local rc=$?
  trap - EXIT INT TERM HUP
  if [ -n "$child_pid" ] && kill -0 "$child_pid" 2>/dev/null; then
    kill -TERM "$child_pid" 2>/dev/null || true
    wait "$child_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
    kill -TERM "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Runs a step in the background and waits for it, so that a signal reaches
# the trap at once and the trap can end the step.
step() {
  "$@" &
  child_pid=$!
  local rc=0
  wait "$child_pid" || rc=$?
  child_pid=""
  return "$rc"
}

say() { echo "run.sh: $*" >&2; }

# --- build -----------------------------------------------------------------------
cd "$root"
targets=(Corvane bench_pacing bench_cycle_cost bench_minimal_reader bench_one_stat_reader bench_sleepers bench_first_frame corvlog bench_corvlog_speed)
if [ -z "$build_dir" ]; then
  say "building with the linux preset"
  cmake --preset linux >/dev/null
  build_dir="$root/build/linux"
else
  case "$build_dir" in /*) ;; *) build_dir="$root/$build_dir" ;; esac
  if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    say "configuring $build_dir"
    cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
fi
say "building ${targets[*]} in $build_dir"
nice -n 5 cmake --build "$build_dir" --target "${targets[@]}" >"$scratch/build.log" 2>&1 || {
  cat "$scratch/build.log" >&2
  exit 1
}
scale_built=0
# The target list is read whole first: grep -q leaving the pipe early would
# end cmake with SIGPIPE, and pipefail would take that for "not built".
if wanted scale && cmake --build "$build_dir" --target help 2>/dev/null >"$scratch/targets.txt" &&
   grep -q '^bench_scale:' "$scratch/targets.txt"; then
  if nice -n 5 cmake --build "$build_dir" --target bench_scale >"$scratch/build.log" 2>&1; then
    scale_built=1
  else
    cat "$scratch/build.log" >&2
    say "bench_scale did not build; the scale section is left out"
  fi
fi
bin="$build_dir"

# --- the machine ---------------------------------------------------------------
count_processes() { local n=0 d; for d in /proc/[0-9]*; do n=$((n + 1)); done; echo "$n"; }
echo "# Corvane benchmarks"
echo
echo "$(date -u '+%Y-%m-%d %H:%M UTC'); $(nproc) cores ($(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)),"\
     "$(awk '/MemTotal/ {printf "%.0f", $2 / 1024}' /proc/meminfo) MB, Linux $(uname -r), $(count_processes) processes,"\
     "load average $(cut -d' ' -f1-3 /proc/loadavg)$([ "$smoke" = 1 ] && echo "; --smoke run" || { [ "$quick" = 1 ] && echo "; --quick run"; })"
echo

# --- Xvfb for the window sections ----------------------------------------------
start_xvfb() {
  local fifo="$scratch/displayfd"
  : >"$fifo"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp -noreset 9>"$fifo" >"$scratch/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local i
  for i in $(seq 100); do
    [ -s "$fifo" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$scratch/xvfb.log" >&2; say "Xvfb did not start"; exit 1; }
    sleep 0.1
  done
  [ -s "$fifo" ] || { say "Xvfb gave no display"; exit 1; }
  display=":$(tr -d '[:space:]' <"$fifo")"
  say "Xvfb on $display"
}
if wanted cycle || wanted footprint || wanted long; then
  start_xvfb
fi

measure() { step "$python" "$root/bench/measure.py" "$@" --bin "$bin" --display "$display"; }

# --- sections ----------------------------------------------------------------------
if wanted cycle; then
  echo "## Cycle cost"
  echo
  say "cycle cost: $cycles cycles a peer"
  measure cycle --cycles "$cycles" --warm "$warm" --xvfb-pid "$xvfb_pid" --extra "0,$extra_processes"
  echo
  echo "In-process figures (bench_cycle_cost 0 $extra_processes: the window's sampling cycle drawn into memory, no display):"
  echo
  step "$bin/bench/bench_cycle_cost" 0 "$extra_processes" >"$scratch/cycle_cost.txt"
  # Its own table when it prints markdown, else its plain columns as a block.
  if head -1 "$scratch/cycle_cost.txt" | grep -q '^|'; then
    cat "$scratch/cycle_cost.txt"
  else
    sed 's/^/    /' "$scratch/cycle_cost.txt"
  fi
  echo
fi

if wanted headless; then
  echo "## Headless logging of one process"
  echo
  say "headless: one process for $headless_seconds s at 200 ms"
  step "$python" "$root/bench/measure.py" headless --bin "$bin" --seconds "$headless_seconds" --extra "0,$extra_processes"
  echo
fi

if wanted pacing; then
  echo "## Pacing"
  echo
  say "pacing: a headless session of $pacing_seconds s at 100 ms"
  step "$bin/bench/bench_pacing" "$bin/app/Corvane" "$pacing_seconds" 100
  echo
fi

if wanted footprint; then
  echo "## Footprint and start-up"
  echo
  measure footprint --runs "$foot_runs" --hold "$hold" --extra "0,$extra_processes"
  echo
fi

if wanted scale; then
  echo "## Scale"
  echo
  if [ "$scale_built" = 1 ]; then
    say "scale: bench_scale"
    step "$bin/bench/bench_scale" "${scale_counts[@]}"
  else
    echo "bench_scale is not part of this build."
  fi
  echo
fi

if wanted long; then
  echo "## Long run"
  echo
  say "long run: $long_minutes min after ${long_warmup} s of warm-up"
  measure long --minutes "$long_minutes" --warmup "$long_warmup"
  echo
fi

if wanted corvlog; then
  echo "## corvlog"
  echo
  say "corvlog: reading a generated long session"
  if [ "$smoke" = 1 ]; then
    step "$bin/bench/bench_corvlog_speed" "$bin/corvlog/corvlog" 0.1 10 200 1 2
  elif [ "$quick" = 1 ]; then
    step "$bin/bench/bench_corvlog_speed" "$bin/corvlog/corvlog" 1 10 200 1 10
  else
    step "$bin/bench/bench_corvlog_speed" "$bin/corvlog/corvlog" 10 10 200 3 60
  fi
  echo
fi
