#!/usr/bin/env bash
# The real program under valgrind's memcheck, driven as a user would: start, render, twenty format
# changes, save, Exit. Memcheck must find no invalid access and no definite leak.
# Usage (inside xvfb-run): valgrind_session.sh PROGRAM [EMULATOR]
PROGRAM=$(realpath "$1")
EMULATOR="$(dirname "$(realpath "$0")")/under_valgrind.sh"
source "$(dirname "$0")/../e2e/x_session.sh"
export VALGRIND_LOG="$WORK/valgrind.log"
WAIT_STEPS=3000  # everything is many times slower under memcheck
PAUSE=4

CLIENT_HEIGHT=379
RENDER_BUTTON_X=$((15 + 88 + 65))
RENDER_BUTTON_Y=$((80 + 222 + 12))

click_at() { xdotool mousemove --window "$WINDOW" "$1" "$2" click 1; sleep "$PAUSE"; }
open_file_menu() { focus_window "$WINDOW"; click_at 15 $((MENU_BAR / 2)); }
menu_keys() { open_file_menu; xdotool key --delay 600 "$@"; sleep "$PAUSE"; }

start_window_manager
use_sound_device null
start_program
WINDOW=$(wait_for_window "$(main_window_title)")
sleep "$PAUSE"
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
MENU_BAR=$((HEIGHT - CLIENT_HEIGHT))

echo "== render"
click_at "$RENDER_BUTTON_X" $((MENU_BAR + RENDER_BUTTON_Y))

echo "== twenty format changes"
for round in $(seq 10); do
  if [ $((round % 2)) -eq 1 ]; then
    menu_keys Right Right Down Return        # Options > channels > stereo
    menu_keys Right Down Right Down Return   # Options > sample rate > 192000 Hz
  else
    menu_keys Right Right Return             # Options > channels > mono
    menu_keys Right Down Right Return        # Options > sample rate > 44100 Hz
  fi
done

echo "== save"
menu_keys Down Return
dialog=$(wait_for_window 'Save Wav')
focus_window "$dialog"
xdotool key Return
for step in $(seq "$WAIT_STEPS"); do [ -f "$WORK/rorovoraderuz.wav" ] && break; sleep 0.1; done
[ -f "$WORK/rorovoraderuz.wav" ] || fail "nothing was saved"
sleep "$PAUSE"

echo "== Exit"
menu_keys Down Down Return
expect_exit_code 0

grep -E "ERROR SUMMARY|definitely lost|Invalid|uninitialised" "$VALGRIND_LOG" || true
errors=$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' "$VALGRIND_LOG" | tail -n 1)
[ -n "$errors" ] || fail "no valgrind summary"
if [ "$errors" -ne 0 ]; then cat "$VALGRIND_LOG" >&2; fail "$errors valgrind errors"; fi
echo "valgrind: 0 errors, saved $(stat -c %s "$WORK/rorovoraderuz.wav") bytes"
echo "PASS"
