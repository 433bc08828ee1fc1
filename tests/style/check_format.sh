#!/bin/bash
# check_format.sh SOURCE_DIR
# Every tracked C and C++ file of the tree (every one under the tree but
# build/ when it is no git checkout) must be as clang-format leaves it; the
# failing files are listed with the command that formats them. Tables that
# read better by hand sit between "// clang-format off" and "// clang-format on".
# Skipped (77) without clang-format 14, the version .clang-format is written
# for: another version breaks some lines differently.
set -u
top=$1
formatter=""
for candidate in clang-format-14 clang-format; do
  if command -v "$candidate" >/dev/null 2>&1 &&
     "$candidate" --version | grep -Eq 'version 14\.'; then
    formatter=$candidate
    break
  fi
done
if [ -z "$formatter" ]; then
  if command -v clang-format >/dev/null 2>&1; then
    echo "skipped: the tree is formatted with clang-format 14; here is $(clang-format --version)"
  else
    echo "skipped: clang-format 14 is not installed (tools/setup.sh installs it)"
  fi
  exit 77
fi

cd "$top" || exit 1
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp')
else
  mapfile -t files < <(find . -path ./build -prune -o -type f \( -name '*.c' -o -name '*.cc' \
    -o -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \) -print | sed 's|^\./||' | sort)
fi
if [ ${#files[@]} -eq 0 ]; then
  echo "FAILED: no C or C++ files found under $top"
  exit 1
fi

present=()
for file in "${files[@]}"; do
  [ -f "$file" ] && present+=("$file")  # not deleted since the last commit
done
output=$("$formatter" --dry-run -Werror "${present[@]}" 2>&1)
status=$?
mapfile -t unformatted < <(echo "$output" | grep -oE '^[^:]+:[0-9]+:[0-9]+: error:' | cut -d: -f1 | sort -u)
if [ $status -ne 0 ] || [ ${#unformatted[@]} -gt 0 ]; then
  for file in "${unformatted[@]}"; do
    echo "FAILED: $file is not formatted; the first changes clang-format would make:"
    echo "$output" | grep -A2 -F "$file:" | head -n 9
  done
  [ ${#unformatted[@]} -eq 0 ] && echo "FAILED: $formatter stopped: $(echo "$output" | tail -n 5)"
  echo "${#unformatted[@]} of ${#present[@]} files unformatted; fix with: $formatter -i FILE..."
  exit 1
fi
echo "ok: all ${#present[@]} C and C++ files are as $formatter leaves them"
