#!/usr/bin/env bash
# The render command as a script sees it: exit codes, messages, report lines, standard output,
# and which files exist afterwards.
# Usage: render_command.sh RENDER_PROGRAM [EMULATOR]
set -euo pipefail
RENDER_PROGRAM=$(realpath "$1")
EMULATOR=${2:-}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"
failures=0

render() { $EMULATOR "$RENDER_PROGRAM" "$@"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "PASS: $*"; }

# Runs the command in an empty folder; sets status, out and err.
run_in_empty() {
  rm -rf "$WORK/run" && mkdir "$WORK/run"
  status=0
  (cd "$WORK/run" && render "$@" >"$WORK/out" 2>"$WORK/err") || status=$?
  out=$(cat "$WORK/out") err=$(cat "$WORK/err")
}

# A bad request: exit 2, its message on stderr, nothing written.
expect_refused() {
  local message=$1
  shift
  run_in_empty "$@"
  local written
  written=$(ls -A "$WORK/run")
  if [ "$status" -eq 2 ] && [[ "$err" == *"$message"* ]] && [ -z "$written" ] && [ -z "$out" ]; then
    pass "refused with 2: $*"
  else
    fail "$* gave $status, stderr [$err], files [$written]; wanted 2 and [$message]"
  fi
}

expect_refused "unknown shape \"sinus\"" --shape sine,sinus --output x.wav
expect_refused "--colour" --colour red --output x.wav
expect_refused '--rate: "7999" is out of range; give 8000 to 768000 Hz' --rate 7999 --output x.wav
expect_refused '--channels: "9" is out of range; give 1 to 8 channels' --channels 9 --output x.wav
expect_refused "--format: pcm20 not in {pcm16,pcm24,pcm32,float32}" --format pcm20 --output x.wav
expect_refused "(a level in dBFS goes in --peak or --rms)" --amplitude -6dB --output x.wav
expect_refused "--output is required" --shape saw
expect_refused "to the same file x.wav" --frequency 997,1000 --output x.wav
expect_refused "unknown placeholder {hz}" --output '{hz}.wav'
expect_refused "--jobs" --jobs 0 --output x.wav
expect_refused "FLAC holds integer samples only" --format float32 --output x.flac
expect_refused "a sampler loop is a WAV chunk" --loop --output X.FLAC
expect_refused "--type wav: the name x.flac asks for flac" --type wav --output x.flac
expect_refused "--type: ogg not in {wav,flac}" --type ogg --output x.wav

run_in_empty --help
[ "$status" -eq 0 ] && [[ "$out" == *"--frequency"* ]] && pass "--help" || fail "--help: $status"
run_in_empty --version
[ "$status" -eq 0 ] && [[ "$out" =~ ^quorvel(32|64)-render\ [0-9]+\.[0-9]+\.[0-9]+$ ]] &&
  pass "--version: $out" || fail "--version gave $status [$out]"

# One JSON line per file, in the order of the lists; the window's rendering within its ranges.
run_in_empty --shape square,saw --frequency 997,22049.5 --output '{shape}-{frequency}.wav'
lines=$(python3 -c '
import json, sys
for line in sys.stdin:
    r = json.loads(line)
    print(r["path"], r["shape"], r["frequency"], r["rendered"], r["data_bytes"], r["render"])
' <<<"$out") || lines="unreadable: $out"
expected="square-997.wav square 997 997 264600 window
square-22049.5.wav square 22049.5 22049.666 264600 window
saw-997.wav saw 997 997 264600 window
saw-22049.5.wav saw 22049.5 22049.666 264600 window"
[ "$status" -eq 0 ] && [ "$lines" = "$expected" ] && pass "report lines" ||
  fail "report lines (status $status): [$lines]"
[ "$(stat -c %s "$WORK/run/saw-22049.5.wav")" -eq 264644 ] && pass "file size" || fail "file size"
cp "$WORK/run/square-997.wav" "$WORK/square-997.wav"

run_in_empty --shape sine --output sq.wav --quiet
[ "$status" -eq 0 ] && [ -z "$out" ] && [ -z "$err" ] && pass "--quiet" || fail "--quiet [$out]"

# A true peak above full scale is told in one line; the file is written all the same.
run_in_empty --shape saw --frequency 1000 --rate 48000 --peak -1 --quiet --output saw.wav
[ "$status" -eq 0 ] && [ -f "$WORK/run/saw.wav" ] &&
  [ "$err" = "saw.wav: its true peak is +0.95 dBTP, above full scale, which a converter may clip; lower the level by 0.95 dB, or render it --bandlimited" ] &&
  pass "a true peak above full scale" || fail "true peak: status $status [$err]"
run_in_empty --shape saw --frequency 1000 --rate 48000 --peak -1 --bandlimited --output saw.wav
[ "$status" -eq 0 ] && [ -z "$err" ] && pass "band-limited, no overs" || fail "band-limited [$err]"

# Standard output: the same bytes as the file, the report line on stderr.
status=0
render --shape square --output - >"$WORK/piped.wav" 2>"$WORK/err" || status=$?
[ "$status" -eq 0 ] && cmp -s "$WORK/piped.wav" "$WORK/square-997.wav" &&
  grep -q '"path":"-"' "$WORK/err" && pass "--output - to a pipe" ||
  fail "--output - gave $status, [$(cat "$WORK/err")]"
status=0
render --output - --length 10 2>"$WORK/err" | head -c 100 >/dev/null || status=${PIPESTATUS[0]}
[ "$status" -eq 1 ] && grep -q 'Could not write -: Broken pipe' "$WORK/err" &&
  pass "a reader that goes away" || fail "broken pipe gave $status [$(cat "$WORK/err")]"

# Write failures: the window's message, exit 1, nothing damaged.
run_in_empty --output missing/x.wav
[ "$status" -eq 1 ] && [[ "$err" == "Could not write missing/x.wav: No such file or directory"* ]] &&
  pass "a folder that is missing" || fail "missing folder gave $status [$err]"

rm -rf "$WORK/nc" && mkdir "$WORK/nc" && echo old >"$WORK/nc/200.wav"
status=0
(cd "$WORK/nc" && render --frequency 100,200,300 --jobs 1 --no-clobber --output '{frequency}.wav' \
  >/dev/null 2>"$WORK/err") || status=$?
[ "$status" -eq 1 ] && grep -qx 'Could not write 200.wav: File exists' "$WORK/err" &&
  [ "$(cat "$WORK/nc/200.wav")" = old ] && [ -f "$WORK/nc/100.wav" ] && [ ! -e "$WORK/nc/300.wav" ] &&
  pass "--no-clobber keeps the old file and those written" ||
  fail "--no-clobber gave $status [$(cat "$WORK/err")], files: $(ls "$WORK/nc")"

# Without it an existing file is replaced through its link, as the window's save does.
echo old >"$WORK/target.wav" && ln -sf "$WORK/target.wav" "$WORK/link.wav"
status=0
render --shape square --output "$WORK/link.wav" --quiet || status=$?
[ "$status" -eq 0 ] && [ -L "$WORK/link.wav" ] && cmp -s "$WORK/target.wav" "$WORK/square-997.wav" &&
  pass "replacing through a symbolic link" || fail "symbolic link (status $status)"

# The bytes of every kind of render, in both builds, are held by render_table.sh.

# An inverse filter that cannot be written: exit 1, and the message says the sweep was.
run_in_empty --shape sweep --frequency 100:4000 --length 0.5 --rate 8000 --inverse no/inv.wav \
  --quiet --output sweep.wav
[ "$status" -eq 1 ] && [ -f "$WORK/run/sweep.wav" ] &&
  [[ $err == *"no/inv.wav"*"; the sweep itself was written to sweep.wav"* ]] &&
  pass "an unwritable inverse filter is reported with the sweep written" ||
  fail "unwritable inverse: status $status, stderr: $err"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
