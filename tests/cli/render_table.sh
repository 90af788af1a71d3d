#!/usr/bin/env bash
# Every render of the table keeps its bytes and its report line, in both builds: the SHA-256 of
# each file written (and of an inverse filter, and of a FLAC file's decoded samples, the same in
# both builds) and the report lines, as recorded in the table.
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

# A file's SHA-256; for FLAC, ":" and that of its samples as flac decodes them, which both builds
# must share even where their libFLAC compresses differently.
file_sha() {
  local sha
  sha=$(sha256sum "$1" | cut -d' ' -f1)
  [[ "$1" == *.flac ]] &&
    sha+=:$(flac -d -c -s --force-raw-format --endian=little --sign=signed "$1" | sha256sum | cut -d' ' -f1)
  echo "$sha"
}

# The samples' part of each FLAC file's figure.
decoded() { grep -o ':[0-9a-f]*' <<<"$1" | paste -sd' '; }

# Renders one row in an empty folder; prints "SHAS<TAB>REPORT LINES", lines joined by a tab.
render_row() {
  rm -rf "$WORK/run" && mkdir "$WORK/run"
  local output=(--output 'f-{shape}-{frequency}.wav')
  [[ " $1 " == *" --output "* ]] && output=()
  # shellcheck disable=SC2086 # the row's words are the command line's
  (cd "$WORK/run" && $EMULATOR "$RENDER_PROGRAM" $1 "${output[@]}" \
    >"$WORK/out" 2>"$WORK/err") || { echo "exit $? [$(cat "$WORK/err")]"; return; }
  local files shas
  files=$(python3 -c '
import json, sys
for line in open(sys.argv[1]):
    r = json.loads(line)
    print(r["path"])
    if "inverse" in r:
        print(r["inverse"])' "$WORK/out")
  shas=$(cd "$WORK/run" && while read -r f; do file_sha "$f"; done <<<"$files" | paste -sd' ')
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
  elif [ "$got_shas" != "$wanted_shas" ] || [ "$got_report" != "$report" ] ||
    [ "$(decoded "$got_shas")" != "$(decoded "$common")" ]; then
    echo "FAIL: [$words]"
    [ "$got_shas" = "$wanted_shas" ] || echo "  SHA-256 $got_shas, not $wanted_shas"
    [ "$(decoded "$got_shas")" = "$(decoded "$common")" ] ||
      echo "  FLAC samples $(decoded "$got_shas"), not the other build's $(decoded "$common")"
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
