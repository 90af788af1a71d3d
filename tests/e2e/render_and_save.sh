#!/usr/bin/env bash
# A user's session with the real program: render, save through the menu and the dialog, change
# the shape, the format and the length, save again, and close the window with exit code 0.
# Every saved file is read back by sox and by its raw bytes.
# Usage (inside xvfb-run): render_and_save.sh PROGRAM [EMULATOR]
PROGRAM=$(realpath "$1")
EMULATOR=${2:-}
source "$(dirname "$0")/x_session.sh"

source "$(dirname "$0")/window_actions.sh"

# check_wav FILE BYTES CHANNELS RATE FIRST-SAMPLES...
check_wav() {
  local name=$1 file="$WORK/$1" bytes=$2 channels=$3 rate=$4
  shift 4
  local expected="$*" count=$#
  [ "$(stat -c %s "$file")" -eq "$bytes" ] || fail "$name has $(stat -c %s "$file") bytes, expected $bytes"
  [ "$(soxi -c "$file")" -eq "$channels" ] || fail "$name: $(soxi -c "$file") channels"
  [ "$(soxi -r "$file")" -eq "$rate" ] || fail "$name: $(soxi -r "$file") Hz"
  [ "$(soxi -b "$file")" -eq 16 ] || fail "$name: not 16 bits"
  local riff data first
  riff=$(od -An -t u4 -j 4 -N 4 "$file" | xargs)
  data=$(od -An -t u4 -j 40 -N 4 "$file" | xargs)
  [ "$riff" -eq $((bytes - 8)) ] || fail "$name: RIFF size $riff"
  [ "$data" -eq $((bytes - 44)) ] || fail "$name: data size $data"
  first=$(od -An -t d2 -j 44 -N $((2 * count)) "$file" | xargs)
  [ "$first" = "$expected" ] || fail "$name starts with '$first', expected '$expected'"
  echo "   $name: $bytes bytes, $channels ch, $rate Hz, starts $first"
}

# Openers that only note what they are asked, first on the program's PATH, so that no real
# browser ever starts: xdg-open, which Qt asks first, and the browsers it falls back on where
# xdg-open is missing. QUORVEL_E2E_XDG_OPEN=absent plays a machine without xdg-utils: the
# program then sees only the fake browsers, whatever this machine has installed.
OPENERS="$WORK/openers"
mkdir "$OPENERS"
for opener in xdg-open google-chrome firefox mozilla opera kfmclient gnome-open; do
  cat > "$OPENERS/$opener" <<END
#!/bin/sh
echo "$opener \$*" >> "$WORK/opened"
END
  chmod +x "$OPENERS/$opener"
done
unset DEFAULT_BROWSER BROWSER
if [ "${QUORVEL_E2E_XDG_OPEN:-}" = absent ]; then
  rm "$OPENERS/xdg-open"
  [ -z "$EMULATOR" ] || EMULATOR=$(command -v "$EMULATOR")
  PROGRAM_PATH="$OPENERS"
  expected_opener="a browser"
else
  PROGRAM_PATH="$OPENERS:$PATH"
  expected_opener=xdg-open
fi

opened_count() {
  if [ -f "$WORK/opened" ]; then wc -l < "$WORK/opened"; else echo 0; fi
}

opened_at_least() { [ "$(opened_count)" -ge "$1" ]; }
wait_for_opened() { wait_until 30 opened_at_least "$1"; }

# Qt takes a shortcut only once it knows its window is active, which may lag behind the window
# manager's focus, so the key is pressed again until the browser was asked.
press_f1_until_opened() {
  local want=$(($(opened_count) + 1)) attempt
  for attempt in $(seq 20); do
    focus_window "$WINDOW"
    xdotool key F1
    wait_for_opened "$want" && return 0
  done
  fail "F1 did not ask the browser for the maker's site"
}

# From File round to About > Tenbrisk Audio; the Return must reach the About menu, not File.
choose_about_item() {
  local want=$(($(opened_count) + 1)) attempt
  for attempt in $(seq 10); do
    open_file_menu
    xdotool key Left
    sleep 0.5
    xdotool key Return
    wait_for_opened "$want" && return 0
    xdotool key Escape Escape
  done
  fail "About > Tenbrisk Audio did not ask the browser"
}

# slider_point PANEL-Y INNER-X: screen coordinates of that inner column of the slider whose outer
# top is at PANEL-Y, halfway down it.
slider_point() { at_panel $((74 + BORDER + $2)) $(($1 + BORDER + 10)); }

press_slider() {
  local x y
  read -r x y <<< "$(slider_point "$1" "$2")"
  xdotool mousemove --window "$WINDOW" "$x" "$y" click 1
}

# save_and_check FILE BYTES CHANNELS RATE FIRST-SAMPLES...: saves under FILE, then checks it.
save_and_check() {
  save_as "$1"
  check_wav "$@"
}
LENGTH_Y=165
AMPLITUDE_Y=125

start_main_window

echo "== the defaults"
render_and_save_defaults
check_wav rorovoraderuz.wav 264644 1 44100 0 4175 8266 12190 15869 19228

echo "== square"
for attempt in $(seq 10); do
  focus_window "$WINDOW"
  click_at $(at_panel $((20 + 60)) $((25 + 12)))  # the shape list
  wait_for_open_menus 1 && break
done
xdotool key Down Down Return
save_as square.wav
# The 32-bit build holds pi in single precision: its square starts with one 0 sample.
if [ "$(basename "$PROGRAM")" = quorvel32 ]; then first_square="0 -29490 -29490"
else first_square="-29490 -29490 -29490"; fi
check_wav square.wav 264644 1 44100 $first_square

echo "== stereo, 192000 Hz"
choose_option 0 1  # channels > stereo
choose_option 1 1  # sample rate > 192000 Hz
save_as stereo.wav
if [ "$(basename "$PROGRAM")" = quorvel32 ]; then first_stereo="0 0 -29490 -29490"
else first_stereo="-29490 -29490 -29490 -29490"; fi
check_wav stereo.wav 2304044 2 192000 $first_stereo

echo "== Length slider dragged to 5.0 s"
read -r from_x slider_y <<< "$(slider_point $LENGTH_Y 10)"
read -r to_x _ <<< "$(slider_point $LENGTH_Y 72)"
xdotool mousemove --window "$WINDOW" "$from_x" "$slider_y" mousedown 1
xdotool mousemove --window "$WINDOW" $(((from_x + to_x) / 2)) "$slider_y"
xdotool mousemove --window "$WINDOW" "$to_x" "$slider_y" mouseup 1
save_and_check long.wav 3840044 2 192000 $first_stereo

echo "== Length slider pressed at 3.5 s"
# Under a comma locale a readout of "3,5" would be read as 3 s.
press_slider $LENGTH_Y 50
save_and_check short.wav 2688044 2 192000 $first_stereo

echo "== Length slider pressed in its last column: 10.0 s"
press_slider $LENGTH_Y 144
save_and_check longest.wav 7680044 2 192000 $first_stereo

echo "== Length slider pressed in its first column: 0.1 s"
press_slider $LENGTH_Y 0
save_and_check shortest.wav 76844 2 192000 $first_stereo

echo "== Length slider pressed in its middle: 5.0 s"
press_slider $LENGTH_Y 72
save_and_check middle.wav 3840044 2 192000 $first_stereo

echo "== Amplitude slider pressed in its first and last columns: 0 and 100"
press_slider $LENGTH_Y 0
press_slider $AMPLITUDE_Y 0
save_and_check silent.wav 76844 2 192000 0 0 0 0
press_slider $AMPLITUDE_Y 144
save_as loudest.wav
if [ "$(basename "$PROGRAM")" = quorvel32 ]; then loudest="0 0 -32767 -32767"
else loudest="-32767 -32767 -32767 -32767"; fi
check_wav loudest.wav 76844 2 192000 $loudest

echo "== F1 and About > Tenbrisk Audio"
press_f1_until_opened
choose_about_item
asked=$(sort -u "$WORK/opened")
if [ "$expected_opener" = xdg-open ]; then
  [ "$asked" = "xdg-open https://tenbrisk.example/" ] || fail "asked: $asked"
else
  [ "$(echo "$asked" | wc -l)" -eq 1 ] && [ "${asked#* }" = "https://tenbrisk.example/" ] &&
    [ "${asked%% *}" != xdg-open ] || fail "asked: $asked"
fi
echo "   $asked, nothing else"

echo "== close box"
press_until_ended "$WINDOW" alt+F4
expect_exit_code 0
echo "   exit code 0"
echo "PASS"
