#!/bin/bash
# check_includes.sh CMAKE BUILD_DIR --up TARGET=HEADER... --down TARGET=HEADER...
# Compiles each target alone. An --up target includes a header of a folder
# above its own and must fail for exactly that header not being found; a
# --down target includes one below (or its own) and must compile.
cmake_command=$1 build=$2
shift 2
status=0 kind=""
for arg in "$@"; do
  case "$arg" in
    --up|--down) kind=${arg#--}; continue ;;
  esac
  target=${arg%%=*} header=${arg#*=}
  output=$("$cmake_command" --build "$build" --target "$target" 2>&1)
  built=$?
  if [ "$kind" = down ]; then
    if [ $built -ne 0 ]; then
      echo "FAIL: $target does not compile with $header, which it may include:"
      echo "$output" | tail -n 20
      status=1
    else
      echo "ok: $target includes $header"
    fi
  else
    if [ $built -eq 0 ]; then
      echo "FAIL: $target compiles although $header lies above it"
      status=1
    elif ! echo "$output" | grep -E -q "$header'?:? (No such file or directory|file not found)|'$header' file not found"; then
      echo "FAIL: $target fails, but not for $header being out of reach:"
      echo "$output" | tail -n 20
      status=1
    else
      echo "ok: $target cannot include $header: $(echo "$output" | grep -E -m1 "No such file or directory|file not found")"
    fi
  fi
done
exit $status
