#!/usr/bin/env bash
# Checks an installed tree (<root>/usr/...): exactly the expected files, icons of the sizes their
# folders name, programs that look nowhere but the system for their libraries, and a render
# command without Qt, which machines without a desktop can run.
set -euo pipefail
root=$1 expected=$2 program=$3 render=$4

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

needed() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p'; }
for name in "$program" "$render"; do
  binary=$root/usr/bin/$name
  [ -x "$binary" ] || { fail "$binary is missing or not executable"; continue; }
  if readelf -d "$binary" | grep -E 'R(UN)?PATH'; then
    fail "$binary keeps a library search path, most likely into the build tree"
  fi
done

# The window program's list shows that Qt's libraries are seen where they are linked.
if [ -x "$root/usr/bin/$program" ] && [ -x "$root/usr/bin/$render" ]; then
  libraries=$(needed "$root/usr/bin/$program")
  grep -q '^libQt6' <<<"$libraries" || fail "readelf lists no libQt6 library for $program: $libraries"
  libraries=$(needed "$root/usr/bin/$render")
  grep -q '^libc\.so' <<<"$libraries" || fail "readelf lists no libc for $render: $libraries"
  if grep '^libQt6' <<<"$libraries"; then fail "$render links Qt (above)"; fi
fi
exit $status
