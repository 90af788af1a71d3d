#!/usr/bin/env bash
# The real program started as a user starts it: without a sound device it explains why it cannot
# run before any window opens; with one it shows its window at the right size; both end with 0.
# Usage (inside xvfb-run): start_up.sh PROGRAM [EMULATOR]
PROGRAM=$(realpath "$1")
EMULATOR=${2:-}
source "$(dirname "$0")/x_session.sh"

start_window_manager
TITLE=$(main_window_title)

echo "== without a sound device"
use_sound_device missing
start_program
box=$(wait_for_window '\? Soundcard \?')
window_exists "$TITLE" && fail "the main window exists before the sound check was answered"
xdotool search --name '^\? Soundcard \?$' >/dev/null
# At 180 pixels the window manager cut the title to "? So... ard ?"; its whole title needs more.
eval "$(xdotool getwindowgeometry --shell "$box")"
[ "$WIDTH" -ge 220 ] || fail "the box is $WIDTH pixels wide: too narrow for its title"
press_until_ended "$box" Return
expect_exit_code 0
echo "   box answered, exit code 0"

echo "== with a sound device"
use_sound_device null
start_program
window=$(wait_for_window "$TITLE")
xwininfo -id "$window" | grep -q 'Map State: IsViewable' || fail "main window not mapped"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 350 ] || fail "client width $WIDTH, expected 350"
menu_bar=$((HEIGHT - 379))
# A single-line menu bar: present, and no taller than two lines of text.
[ "$menu_bar" -ge 15 ] && [ "$menu_bar" -le 40 ] || fail "client height $HEIGHT leaves $menu_bar for the menu bar"
echo "   '$TITLE' mapped, ${WIDTH}x${HEIGHT} (menu bar $menu_bar)"
# Its class names the build, as its desktop entry's StartupWMClass does, so docks can tell the
# two builds apart.
name=$(basename "$PROGRAM")
[ "$(xprop -id "$window" WM_CLASS)" = "WM_CLASS(STRING) = \"$name\", \"$name\"" ] ||
  fail "window class: $(xprop -id "$window" WM_CLASS)"
echo "   window class $name"

press_until_ended "$window" alt+F4
expect_exit_code 0
echo "   close request accepted, exit code 0"
echo "PASS"
