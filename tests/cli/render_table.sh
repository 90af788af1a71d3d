#!/usr/bin/env bash
# Every render of the table keeps its bytes and its report line, in both builds: the SHA-256 of
# each file written (and of an inverse filter) and the report lines, as recorded in the table.
# Usage: render_table.sh RENDER_PROGRAM EMULATOR TABLE [--record]
# With --record the table's figures are written anew from this build (the 64-bit build writes
# the common column, the 32-bit one its own where it differs); review the diff before keeping it.
set -euo pipefail
RENDER_PROGRAM=$(realpath "$1")
EMULATOR=${2:-}
TABLE=$(realpath "$3")
RECORD=${4:-}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
case "$(basename "$RENDER_PROGRAM")" in
  quorvel32-*) bits=32 ;;
  *) bits=64 ;;
esac

# Renders one row in an empty folder; prints "SHAS<TAB>REPORT LINES", lines joined by a tab.
render_row() {
  rm -rf "$WORK/run" && mkdir "$WORK/run"
  # shellcheck disable=SC2086 # the row's words are the command line's
  (cd "$WORK/run" && $EMULATOR "$RENDER_PROGRAM" $1 --output 'f-{shape}-{frequency}.wav' \
    >"$WORK/out" 2>"$WORK/err") || { echo "exit $? [$(cat "$WORK/err")]"; return; }
  local files shas
  files=$(python3 -c '
import json, sys
for line in open(sys.argv[1]):
    r = json.loads(line)
    print(r["path"])
    if "inverse" in r:
        print(r["inverse"])' "$WORK/out")
  shas=$(cd "$WORK/run" && while read -r f; do sha256sum "$f" | cut -d' ' -f1; done <<<"$files" |
    paste -sd' ')
  printf '%s\t%s\n' "$shas" "$(paste -sd$'\t' "$WORK/out")"
}

failures=0 rows=0
recorded=()
while IFS= read -r line; do
  [[ -z "$line" || "$line" == \#* ]] && { recorded+=("$line"); continue; }
  IFS='|' read -r words common own report <<<"$line"
  words=$(sed 's/ *$//' <<<"$words")
  rows=$((rows + 1))
  got=$(render_row "$words")
  got_shas=${got%%$'\t'*} got_report=${got#*$'\t'}
  wanted_shas=$common
  [ "$bits" = 32 ] && [ "$own" != "=" ] && wanted_shas=$own
  if [ -n "$RECORD" ]; then
    if [ "$bits" = 64 ]; then common=$got_shas report=$got_report own=${own:-=}
    elif [ "$got_shas" != "$common" ]; then own=$got_shas; else own="="; fi
    recorded+=("$words|$common|$own|$report")
  elif [ "$got_shas" != "$wanted_shas" ] || [ "$got_report" != "$report" ]; then
    echo "FAIL: [$words]"
    [ "$got_shas" = "$wanted_shas" ] || echo "  SHA-256 $got_shas, not $wanted_shas"
    [ "$got_report" = "$report" ] || printf '  report  %s\n  wanted  %s\n' "$got_report" "$report"
    failures=$((failures + 1))
  else
    echo "PASS: [$words]"
  fi
done <"$TABLE"
if [ -n "$RECORD" ]; then
  printf '%s\n' "${recorded[@]}" >"$TABLE"
  echo "recorded $rows rows into $TABLE"
  exit 0
fi
[ "$rows" -gt 0 ] || { echo "FAIL: no rows in $TABLE"; exit 1; }
[ "$failures" -eq 0 ] || { echo "$failures of $rows rows changed"; exit 1; }
echo "PASS: $rows rows keep their bytes and report lines"
