#!/usr/bin/env bash
# Checks an installed tree (<root>/usr/...): exactly the expected files, icons of the sizes their
# folders name, and a program that looks nowhere but the system for its libraries.
set -euo pipefail
root=$1 expected=$2 program=$3

status=0
fail() { echo "FAIL: $*"; status=1; }

installed=$(cd "$root" && find . -type f -o -type l | sed 's#^\./##' | sort)
if ! diff <(sort "$expected") <(echo "$installed"); then
  fail "installed files differ from the expected list (< expected, > installed)"
fi

for png in "$root"/usr/share/icons/hicolor/*x*/apps/*.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  picture=$(identify -format '%m %wx%h' "$png" 2>&1 || true)
  [ "$picture" = "PNG $size" ] || fail "$png: expected a $size PNG, found: $picture"
done
for svg in "$root"/usr/share/icons/hicolor/scalable/apps/*.svg; do
  # identify renders the SVG, so it fails on a picture that does not parse.
  grep -q '<svg' "$svg" && identify "$svg" >/dev/null 2>&1 || fail "$svg is not a readable SVG picture"
done

binary=$root/usr/bin/$program
[ -x "$binary" ] || fail "$binary is missing or not executable"
if readelf -d "$binary" | grep -E 'R(UN)?PATH'; then
  fail "$binary keeps a library search path, most likely into the build tree"
fi
exit $status
