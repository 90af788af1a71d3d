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
expect_refused "--rate: Value 7999 not in range 8000 to 768000" --rate 7999 --output x.wav
expect_refused "--channels: Value 9 not in range 1 to 8" --channels 9 --output x.wav
expect_refused "--format: pcm20 not in {pcm16,pcm24,pcm32,float32}" --format pcm20 --output x.wav
expect_refused "use --peak (dBFS)" --amplitude -6dB --output x.wav
expect_refused "--output is required" --shape saw
expect_refused "to the same file x.wav" --frequency 997,1000 --output x.wav
expect_refused "unknown placeholder {hz}" --output '{hz}.wav'
expect_refused "--jobs" --jobs 0 --output x.wav

run_in_empty --help
[ "$status" -eq 0 ] && [[ "$out" == *"--frequency"* ]] && pass "--help" || fail "--help: $status"
run_in_empty --version
[ "$status" -eq 0 ] && [[ "$out" =~ ^quorvel(32|64)-render\ [0-9]+\.[0-9]+\.[0-9]+$ ]] &&
  pass "--version: $out" || fail "--version gave $status [$out]"

# One JSON line per file, in the order of the lists; clamps in words on stderr.
run_in_empty --shape square,saw --frequency 997,30000 --output '{shape}-{frequency}.wav'
lines=$(python3 -c '
import json, sys
for line in sys.stdin:
    r = json.loads(line)
    print(r["path"], r["shape"], r["frequency"], r["rendered"], r["data_bytes"], r["clamped"])
' <<<"$out") || lines="unreadable: $out"
expected="square-997.wav square 997 997 264600 False
square-30000.wav square 30000 22049 264600 True
saw-997.wav saw 997 997 264600 False
saw-30000.wav saw 30000 22049 264600 True"
[ "$status" -eq 0 ] && [ "$lines" = "$expected" ] && pass "report lines" ||
  fail "report lines (status $status): [$lines]"
[ "$err" = "30000 Hz is above 22049 Hz at 44100 Hz: rendered 22049 Hz" ] &&
  pass "clamp in words" || fail "clamp message [$err]"
[ "$(stat -c %s "$WORK/run/saw-30000.wav")" -eq 264644 ] && pass "file size" || fail "file size"
cp "$WORK/run/square-997.wav" "$WORK/square-997.wav"

run_in_empty --shape square --output sq.wav --quiet
[ "$status" -eq 0 ] && [ -z "$out" ] && [ -z "$err" ] && pass "--quiet" || fail "--quiet [$out]"

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

rm -rf "$WORK/nc" && mkdir "$WORK/nc" && echo old >"$WORK/nc/b.wav"
status=0
(cd "$WORK/nc" && render --frequency a,b,c --jobs 1 --no-clobber --output '{frequency}.wav' \
  >/dev/null 2>"$WORK/err") || status=$?
[ "$status" -eq 1 ] && grep -qx 'Could not write b.wav: File exists' "$WORK/err" &&
  [ "$(cat "$WORK/nc/b.wav")" = old ] && [ -f "$WORK/nc/a.wav" ] && [ ! -e "$WORK/nc/c.wav" ] &&
  pass "--no-clobber keeps the old file and those written" ||
  fail "--no-clobber gave $status [$(cat "$WORK/err")], files: $(ls "$WORK/nc")"

# Without it an existing file is replaced through its link, as the window's save does.
echo old >"$WORK/target.wav" && ln -sf "$WORK/target.wav" "$WORK/link.wav"
status=0
render --shape square --output "$WORK/link.wav" --quiet || status=$?
[ "$status" -eq 0 ] && [ -L "$WORK/link.wav" ] && cmp -s "$WORK/target.wav" "$WORK/square-997.wav" &&
  pass "replacing through a symbolic link" || fail "symbolic link (status $status)"

# The same bytes from every build: the window's files as they were before the exact rendering
# came (the 32-bit build's square starts with one zero sample), and the exact rendering's, which
# both builds compute alike.
case "$(basename "$RENDER_PROGRAM")" in
  quorvel32-*) square=318410e297407c94d10f87f55bc842fcdf0687018ecc2daf6ca4b080747bf6d3
    clamped_square=bda4f5edcf3b10de3dff67907e4cb5058d904ba3e878ec6472687bfd774604c2 ;;
  *) square=cce97ab8863d13444dac394e90d4f1985d23ca43f854e2e5de15b6563a17c065
    clamped_square=781d6e4294b89c8c710a48af18047e9cfb0e9967b15279b762260db695611cef ;;
esac
checksums=(
  "12f939a23d0639a29206c15f75c000b1d59bd845f143ce4950c49e74a01d93c2|"
  "709455e7432c5c3ec9220bfc0bc1f8fa38fd2acac0ad6df2a24ddc0131c25352|--shape saw"
  "$square|--shape square"
  "6bc4621c866450fbd74548c6438102737e335aa8e5d85cde1eca914120a7d659|--shape triangle"
  "103faab00c1bf4f789cdaa64b14c5ffe41072b00a35b4754634382e2125fe379|--rate 192000 --channels 2 --length 10 --frequency 1000"
  "$clamped_square|--shape square --frequency 30000 --amplitude 100 --length 0.1"
  "f3b631e4d5ceb712318a5be95e7ad02b03bb93d2d1b84037f605996429df2e4e|--shape triangle --frequency 440.5 --amplitude 33 --length 20 --channels 2"
  "84b5071344bc1769d6f929b5f2b7f58492198ede8668119edc9ace8f045d3d8e|--rate 48000 --format pcm24 --frequency 1000 --peak -20 --length 10 --loop"
  "a9bf6c0a19391936179de65e870f3f34cc2279115f246f88502d6ccf9846309d|--exact --shape square --samples 4410"
  "8428bd026405b755788f9d21c0c8fe2bc582067589c0fb73169b58cfe02fbc3e|--format pcm32 --shape saw --rate 96000 --channels 3 --length 0.5 --rms -12"
  "9aeb78b7f0ba59afc3ba130b0aa70f61cbd581105bd9b6d595fcb396efcea1ac|--format float32 --shape triangle --rate 768000 --channels 8 --samples 7681 --peak -3"
  "16a3e467a13cbd60c5a06616eab8bbaf39dd2ff12e7fa67601b7ea27e9ef6557|--format pcm16 --dither tpdf --seed 42 --frequency 440.5 --length 1 --channels 2"
  "0f62a12006120599d79f53e504ad529b641effc921d6656dbd83c3e7d545adc8|--format pcm24 --dither tpdf --frequency 20 --cycles 3 --rate 8000"
  "1935caec96026c46078ba73f95296e7907d3c1d81954358f8f960e64d79becca|--exact --length 25 --rate 8000 --frequency 30000"
  "416bb7d586bb4f7c11d354f330cf671b5d03b4dfdf7163ed23ef3efb17e733f2|--format float32 --frequency 997 --length 1 --peak -0.5"
  "c93e907dfef8913b3fa461cbe5e2b08c46194921d139fede55e21bfea162827a|--format pcm32 --frequency 1234.5 --rate 96000 --length 1 --channels 2"
  "ef2dfcc996dd7df4e666a30f92061c6986ff7c197cdd7e3208f37f39f0b6e0e5|--shape sweep --frequency 20:20000 --rate 48000 --format float32 --length 2"
  "7ab5f67c3762c0f496b332b102caa72112098f6f381fca5f5212999c1d1ec2cd|--shape linear-sweep --frequency 1000:100 --format pcm24 --length 1 --fade-in 5"
  "cfe3bf7e04a8fcec0b918a815e4bb348f47e393856709eb2bb974bb366d4a417|--shape white --rate 48000 --format pcm24 --length 1 --seed 7"
  "8853e1cb6c963c3b9f897162ea380604b189dbb17c533deee3955c00e347a731|--shape white-uniform --format float32 --length 1 --rms -10"
  "1ce98ab85dc74c3a5d6525c1b436077cfa8fad4431caffa6e12eba6399fa4b76|--shape multitone --frequency 100+1000+10000 --rate 48000 --format float32 --length 1"
  "b1b8c23cb50cd9612487d89f1bfe3dab2bbd21ae03c72e5adc2c907985d15a9a|--shape saw --bandlimited --frequency 441 --format pcm32 --length 0.5 --channels 2"
  "caaa3e76cf142ca748e75aefbd4593d692904bc7aca1e8c7480e196081bb5f50|--shape triangle --fade-in 20 --fade-out 30 --format pcm24 --rate 96000 --length 0.25"
  "d1e3272d6c535de64250dfc5e434f63a4004c95586d0e24cb3716572da93b7fe|--shape pink --rate 44100 --length 3 --format pcm24 --seed 2"
  "14f7f8d42a8bb4c297fa102570ec3627554f75bc457719b818e3722e0fca565d|--shape pink --periodic --rate 8000 --length 2 --format pcm24 --seed 3"
  "7ce89073daf0022c46dc62bd26116023c0204cbf2c61375c1b89c7859f37327e|--shape white --periodic --rate 44100 --length 1 --format float32"
)
for entry in "${checksums[@]}"; do
  IFS='|' read -r expected words <<<"$entry"
  # shellcheck disable=SC2086 # the words are the command line's
  run_in_empty $words --quiet --output sum.wav
  got=$(sha256sum "$WORK/run/sum.wav" 2>/dev/null | cut -d' ' -f1)
  [ "$status" -eq 0 ] && [ "$got" = "$expected" ] && pass "SHA-256 of: $words" ||
    fail "SHA-256 of [$words]: $got (status $status), not $expected"
done

# A sweep's inverse filter, computed through a Fourier transform, is the same in both builds too.
run_in_empty --shape sweep --frequency 100:4000 --length 0.5 --rate 8000 --inverse inv.wav \
  --quiet --output sweep.wav
got="$(sha256sum "$WORK/run/sweep.wav" "$WORK/run/inv.wav" 2>/dev/null | cut -d' ' -f1 | paste -sd' ')"
[ "$status" -eq 0 ] && [ "$got" = "09f583cdb79b05824b3446ee8ada54db713fcac1c65f8b1bfcf277b3253c4bbd c20433134f69805541354b6c68cef49fa858cbe355447d48785a20a95a711d3b" ] &&
  pass "SHA-256 of a sweep and its inverse filter" || fail "sweep and inverse: $got (status $status)"

# An inverse filter that cannot be written: exit 1, and the message says the sweep was.
run_in_empty --shape sweep --frequency 100:4000 --length 0.5 --rate 8000 --inverse no/inv.wav \
  --quiet --output sweep.wav
[ "$status" -eq 1 ] && [ -f "$WORK/run/sweep.wav" ] &&
  [[ $err == *"no/inv.wav"*"; the sweep itself was written to sweep.wav"* ]] &&
  pass "an unwritable inverse filter is reported with the sweep written" ||
  fail "unwritable inverse: status $status, stderr: $err"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
