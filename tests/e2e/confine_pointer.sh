#!/usr/bin/env bash
# The Length slider holds the pointer inside its picture while the left button is held: dragged
# towards far corners of the screen it stops at the picture's edges, and once the button is
# released, or another window takes the focus, it moves freely again. Dragged to the right edge,
# the length is 10.0 s, which the saved file's size shows.
# Usage (inside xvfb-run): confine_pointer.sh PROGRAM [EMULATOR]
PROGRAM=$(realpath "$1")
EMULATOR=${2:-}
source "$(dirname "$0")/x_session.sh"

source "$(dirname "$0")/window_actions.sh"

INNER_WIDTH=145
INNER_HEIGHT=21
TEN_SECONDS_MONO_BYTES=$((44 + 10 * 44100 * 2))
# Tenths of a second that a slow program (the 32-bit one runs emulated) gets to take an event.
SETTLE_TRIES=100

pointer_location() {
  local X Y SCREEN WINDOW
  eval "$(xdotool getmouselocation --shell)"
  echo "$X $Y"
}

pointer_inside_slider() {
  local x y
  read -r x y <<< "$(pointer_location)"
  [ "$x" -ge "$LEFT" ] && [ "$x" -le "$RIGHT" ] && [ "$y" -ge "$TOP" ] && [ "$y" -le "$BOTTOM" ]
}

# Moves towards a point of the screen and tells whether the pointer arrived there.
pointer_reaches() {
  xdotool mousemove "$1" "$2"
  [ "$(pointer_location)" = "$1 $2" ]
}

press_slider() {
  focus_window "$WINDOW"
  xdotool mousemove "$((LEFT + 10))" "$((TOP + 10))" mousedown 1
}

expect_free() {
  wait_until "$SETTLE_TRIES" pointer_reaches "$far_x" "$far_y" ||
    fail "the pointer is still held $1: at $(pointer_location)"
  echo "   the pointer moves freely to $far_x $far_y $1"
}

# The pointer, held towards the point ($1, $2), stays inside the picture, at its corner ($3, $4).
expect_held_at() {
  xdotool mousemove "$1" "$2"
  wait_until "$SETTLE_TRIES" pointer_inside_slider ||
    fail "the pointer left the slider: at $(pointer_location), held towards $1 $2"
  [ "$(pointer_location)" = "$3 $4" ] ||
    fail "the pointer stopped at $(pointer_location), not at the corner $3 $4"
  echo "   held towards $1 $2: stays at $(pointer_location)"
}

start_main_window
render_and_save_defaults

# The slider's picture in root coordinates, from the window's position on the screen; its right
# and bottom edges are the last pixels before the first one past it.
origin_x=$(xwininfo -id "$WINDOW" | awk '/Absolute upper-left X/ {print $NF}')
origin_y=$(xwininfo -id "$WINDOW" | awk '/Absolute upper-left Y/ {print $NF}')
read -r inner_x inner_y <<< "$(at_panel $((74 + BORDER)) $((165 + BORDER)))"
read -r past_x past_y <<< "$(at_panel $((74 + BORDER + INNER_WIDTH)) $((165 + BORDER + INNER_HEIGHT)))"
LEFT=$((origin_x + inner_x))
TOP=$((origin_y + inner_y))
RIGHT=$((origin_x + past_x - 1))
BOTTOM=$((origin_y + past_y - 1))
read -r screen_width screen_height <<< "$(xdotool getdisplaygeometry)"
far_x=$((screen_width - 10))
far_y=$((screen_height - 10))

echo "== the Length slider dragged far outside with the left button held"
press_slider
expect_held_at 0 0 "$LEFT" "$TOP"
expect_held_at "$far_x" "$far_y" "$RIGHT" "$BOTTOM"

echo "== released"
xdotool mouseup 1
expect_free "after the release"
save_as ten_seconds.wav
bytes=$(stat -c %s "$WORK/ten_seconds.wav")
[ "$bytes" -eq "$TEN_SECONDS_MONO_BYTES" ] || fail "ten_seconds.wav has $bytes bytes, not 10.0 s"
echo "   the length reads 10.0 s: $bytes bytes saved"

echo "== another window takes the focus while the button is held"
xmessage -name other "another program" 2>/dev/null &
other_pid=$!
other=$(wait_for_window other)
press_slider
expect_held_at 0 0 "$LEFT" "$TOP"
xdotool windowactivate "$other"
expect_free "once the focus left"
xdotool mouseup 1
kill "$other_pid"
# The release still reached the slider: the next drag is held again.
press_slider
expect_held_at "$far_x" "$far_y" "$RIGHT" "$BOTTOM"
xdotool mouseup 1
expect_free "after the release"

press_until_ended "$WINDOW" alt+F4
expect_exit_code 0
echo "PASS"
