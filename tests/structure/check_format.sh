#!/usr/bin/env bash
# Every C++ source and header of the program, its tests and its benchmark is formatted as
# .clang-format says. Pinned to one clang-format, since versions format differently.
# Usage: check_format.sh SOURCE_DIR CLANG_FORMAT
set -euo pipefail
cd "$1"
mapfile -t files < <(find app cli sound signals encode formats files measure plot playback controls toolkit tests bench -name '*.cpp' -o -name '*.h' | sort)
[ "${#files[@]}" -gt 0 ] || { echo "FAIL: no sources found"; exit 1; }
if ! complaints=$("$2" --dry-run --Werror "${files[@]}" 2>&1); then
  grep -o '^[^:]*:[0-9]*' <<< "$complaints" | sort -u | sed 's/^/FAIL: not formatted: /'
  echo "Run: $2 -i <file> (the style is in .clang-format)"
  exit 1
fi
echo "PASS: ${#files[@]} files formatted"
