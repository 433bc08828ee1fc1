# Shared by the end-to-end scripts: a private Xvfb display and small waits.
# Source it; it defines start_xvfb, wait_for_window, stop_all and the
# SKIP exit code 77 when the tools are missing.

need_tools() {
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIP: $tool not installed"
      exit 77
    fi
  done
}

CORV_PIDS=()
# Newest first, each one gone before the next, so that programs end before
# the display they draw on. What does not end on TERM within 3 s (unshare
# ignores it while it waits for its child) gets KILL.
stop_all() {
  local i pid t
  for ((i = ${#CORV_PIDS[@]} - 1; i >= 0; i--)); do
    pid=${CORV_PIDS[$i]}
    kill "$pid" 2>/dev/null
    for ((t = 0; t < 30; t++)); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  CORV_PIDS=()
}

# Starts Xvfb on a free display of its choosing and exports DISPLAY.
start_xvfb() {
  local fifo number
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  CORV_PIDS+=($!)
  read -r -t 20 number <"$fifo"
  rm -f "$fifo"
  if [ -z "${number:-}" ]; then
    echo "SKIP: Xvfb did not start"
    exit 77
  fi
  export DISPLAY=":$number"
}

# wait_for_window NAME [SECONDS]: prints the id of the first visible window
# whose title is exactly NAME.
wait_for_window() {
  local name=$1 limit=${2:-20} id i
  for ((i = 0; i < limit * 10; i++)); do
    id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# wait_gone PID [SECONDS [CALLBACK]]: waits for a background process; its
# status in $?. One still running at the end is shown to CALLBACK, if any,
# then ended.
wait_gone() {
  local pid=$1 limit=${2:-20} i
  for ((i = 0; i < limit * 10; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      return $?
    fi
    sleep 0.1
  done
  [ -n "${3:-}" ] && "$3"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 124
}

fail() {
  echo "FAIL: $*"
  exit 1
}
