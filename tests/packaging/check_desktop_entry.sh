#!/usr/bin/env bash
# The desktop entry must be valid and start the installed program without arguments from the
# Audio menu, with the program's icon.
set -euo pipefail
validate=$1 entry=$2 program=$3 icon=$4

status=0
fail() { echo "FAIL: $*"; status=1; }
key() { sed -n "s/^$1=//p" "$entry"; }

# desktop-file-validate also prints warnings and hints that do not change its exit code.
complaints=$("$validate" "$entry" 2>&1) || fail "desktop-file-validate rejects $entry"
[ -z "$complaints" ] || fail "desktop-file-validate: $complaints"

[ "$(key Type)" = Application ] || fail "Type=$(key Type)"
[ "$(key Name)" = Quorvel ] || fail "Name=$(key Name)"
[ -n "$(key Comment)" ] || fail "no Comment"
[ "$(key Exec)" = "$program" ] || fail "Exec=$(key Exec), expected $program alone"
[ "$(key Icon)" = "$icon" ] || fail "Icon=$(key Icon), expected $icon"
[ "$(key Categories)" = "AudioVideo;Audio;" ] || fail "Categories=$(key Categories)"
[ "$(key Terminal)" = false ] || fail "Terminal=$(key Terminal)"
exit $status
