# Shared by the shell checks of the installed and packaged files: source it,
# set $work (a folder the checks may write to), then call
#   check WHAT COMMAND...
# for each check; $passed and $failed count them, and a failed one prints
# its name and the end of its output.
passed=0 failed=0
check() {
  local what=$1
  shift
  if "$@" >"$work/last.log" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
    tail -20 "$work/last.log"
  fi
}
