#!/usr/bin/env bash
# The render command against the real window: what a user saves through the menu and the dialog
# must be, byte for byte, what the command writes for the same shape, frequency text and format.
# Every pair is compared, each with its own PASS or FAIL line, and any FAIL fails the session.
# Usage (inside xvfb-run): render_command.sh PROGRAM RENDER-PROGRAM [EMULATOR]
PROGRAM=$(realpath "$1")
RENDER=$(realpath "$2")
EMULATOR=${3:-}
source "$(dirname "$0")/x_session.sh"
source "$(dirname "$0")/window_actions.sh"

COMMAND_FILES="$WORK/command"
mkdir "$COMMAND_FILES"
FAILURES=0

# The command runs in a folder of its own, so that its files never meet the window's.
render() {
  (cd "$COMMAND_FILES" && ${EMULATOR:+"$EMULATOR"} "$RENDER" "$@") ||
    fail "the render command failed: $*"
}

# refused WORDS...: exit 2 and nothing written.
refused() {
  local status=0
  (cd "$COMMAND_FILES" && ${EMULATOR:+"$EMULATOR"} "$RENDER" "$@" 2>/dev/null) || status=$?
  if [ "$status" -eq 2 ] && [ ! -e "$COMMAND_FILES/refused.wav" ]; then
    echo "PASS: refused with 2: $*"
  else
    echo "FAIL: $* gave $status"
    FAILURES=$((FAILURES + 1))
  fi
}

# same_bytes WINDOW-FILE COMMAND-FILE: one line per pair, and the session goes on after a FAIL so
# that every difference is seen.
same_bytes() {
  local window="$WORK/$1" command="$COMMAND_FILES/$2" difference
  if [ ! -f "$command" ]; then
    echo "FAIL: the command wrote no $2"
    FAILURES=$((FAILURES + 1))
  elif difference=$(cmp "$window" "$command" 2>&1); then
    echo "PASS: $1 = $2 ($(stat -c %s "$window") bytes)"
  else
    echo "FAIL: $1 != $2: $difference"
    FAILURES=$((FAILURES + 1))
  fi
}

# The shape list's pop-up is opened until it is up; Up saturates at the first item, so the
# choice does not depend on what was chosen before.
SHAPES=(sine saw square triangle)
choose_shape() {
  local index attempt step
  for index in "${!SHAPES[@]}"; do [ "${SHAPES[$index]}" = "$1" ] && break; done
  [ "${SHAPES[$index]}" = "$1" ] || fail "no shape $1"
  for attempt in $(seq 10); do
    focus_window "$WINDOW"
    click_at $(at_panel $((20 + 60)) $((25 + 12)))
    wait_for_open_menus 1 && break
  done
  menus_open 1 || fail "the shape list does not open"
  xdotool key Up Up Up
  for step in $(seq "$index"); do xdotool key Down; done
  xdotool key Return
  wait_until 50 no_menus_open || fail "the shape list stays open"
}
no_menus_open() { [ "$(open_menus)" -eq 0 ]; }

# Replaces the frequency field's text; an empty text leaves it empty.
type_frequency() {
  focus_window "$WINDOW"
  click_at $(at_panel $((190 + 50)) $((24 + 12)))
  xdotool key ctrl+a BackSpace
  [ -z "$1" ] || xdotool type --delay 20 "$1"
}

press_render() {
  focus_window "$WINDOW"
  click_at $(at_panel $((88 + 65)) $((222 + 12)))
}

start_main_window

echo "== the start values: sine, 997 Hz, mono, 44100 Hz"
render_and_save_defaults
render --output defaults.wav --quiet
same_bytes rorovoraderuz.wav defaults.wav

echo "== square at 997 and 1000 Hz"
choose_shape square
press_render
save_as square-997.wav
type_frequency 1000
press_render
save_as square-1000.wav
render --shape square --frequency 997,1000 --output 'sq-{frequency}.wav' --quiet
same_bytes square-997.wav sq-997.wav
same_bytes square-1000.wav sq-1000.wav

echo "== saw at 100000 Hz (above the ceiling), stereo, 192000 Hz"
choose_option 0 1  # channels > stereo
choose_option 1 1  # sample rate > 192000 Hz
type_frequency 100000
choose_shape saw
press_render
save_as saw-100000.wav
# The window keeps the field at its ceiling; the command renders that ceiling as the window does,
# and refuses what no rendering can make.
render --shape saw --frequency 95999 --channels 2 --rate 192000 --output saw.wav --quiet
same_bytes saw-100000.wav saw.wav
refused --shape saw --frequency 100000 --channels 2 --rate 192000 --output refused.wav

# A comma locale must not turn the point into a stop, nor the empty field into anything but the
# lowest frequency (which the command is asked for as such: it refuses an empty text).
echo "== triangle at '997.3' and at an empty field"
choose_shape triangle
type_frequency 997.3
press_render
save_as triangle-997.3.wav
type_frequency ""
press_render
save_as triangle-empty.wav
render --shape triangle --frequency 997.3 --channels 2 --rate 192000 --output triangle.wav --quiet
render --shape triangle --frequency 20 --channels 2 --rate 192000 --output empty.wav --quiet
same_bytes triangle-997.3.wav triangle.wav
same_bytes triangle-empty.wav empty.wav

press_until_ended "$WINDOW" alt+F4
expect_exit_code 0
[ "$FAILURES" -eq 0 ] || fail "$FAILURES of the command's files differ from the window's"
echo "PASS"
