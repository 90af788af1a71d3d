#!/usr/bin/env bash
# Saving onto what a user's folder may hold, through the real dialog: a symbolic link, a file
# with a second hard link, a named pipe, a name with quote marks and a name of 250 characters.
# Each must behave as a plain overwrite: the link stays a link and its target gets the sound,
# both hard links see it, the pipe is refused with a message and never waited on, and names are
# written exactly as typed.
# Usage (inside xvfb-run): save_targets.sh PROGRAM [EMULATOR]
PROGRAM=$(realpath "$1")
EMULATOR=${2:-}
source "$(dirname "$0")/x_session.sh"
source "$(dirname "$0")/window_actions.sh"

SOUND_BYTES=264644

wait_for_box() { wait_for_window "$1"; }

# Types a name into the open save dialog $2 and confirms it.
type_name() {
  focus_window "$2"
  xdotool key ctrl+a
  xdotool type --delay 10 "$1"
  xdotool key Return
}

# Answers the box titled $1 with key $2 and waits until it is gone.
answer_box() {
  local box
  box=$(wait_for_box "$1")
  press_until_gone "$box" "$2"
}

# Saves under name $1; "overwrite" in $2 answers Yes to the question that must come.
save_over() {
  local name=$1 answer
  answer=$(ask_to_save)
  [ "${answer% *}" = "Save Wav" ] || fail "asked to render first: nothing was rendered"
  type_name "$name" "${answer##* }"
  if [ "${2:-}" = overwrite ]; then answer_box "File Overwrite" alt+y; fi
}

size_of() { stat -L -c %s "$1" 2>/dev/null || echo 0; }
has_size() { [ "$(size_of "$1")" -eq "$2" ]; }
wait_for_size() { wait_until 100 has_size "$1" "$2" || fail "$1 has $(size_of "$1") bytes, not $2"; }

start_main_window

render_and_save_defaults
reference="$WORK/rorovoraderuz.wav"
wait_for_size "$reference" "$SOUND_BYTES"

echo "== a symbolic link to a file in another folder"
mkdir "$WORK/elsewhere"
echo "old" > "$WORK/elsewhere/real.wav"
ln -s elsewhere/real.wav "$WORK/link.wav"
save_over link.wav overwrite
wait_for_size "$WORK/elsewhere/real.wav" "$SOUND_BYTES"
[ -L "$WORK/link.wav" ] || fail "the link was replaced"
[ "$(readlink "$WORK/link.wav")" = elsewhere/real.wav ] || fail "the link points elsewhere now"
cmp -s "$reference" "$WORK/elsewhere/real.wav" || fail "the link's target holds other bytes"
echo "   the link stays, its target holds the sound"

echo "== a file with a second hard link"
echo "old" > "$WORK/first.wav"
ln "$WORK/first.wav" "$WORK/second.wav"
inode=$(stat -c %i "$WORK/first.wav")
save_over first.wav overwrite
wait_for_size "$WORK/second.wav" "$SOUND_BYTES"
[ "$(stat -c %i "$WORK/first.wav")" = "$inode" ] || fail "first.wav is another file now"
cmp -s "$reference" "$WORK/second.wav" || fail "second.wav holds other bytes"
echo "   both names hold the sound"

echo "== a named pipe"
mkfifo "$WORK/pipe.wav"
save_over pipe.wav overwrite
answer_box "Save Wav" Return
[ -p "$WORK/pipe.wav" ] || fail "the pipe was replaced"
kill -0 "$PROGRAM_PID" || fail "the program ended"
echo "   refused with a message, the pipe stays"

echo "== a name with quote marks"
quoted="it's \"q\".wav"
save_over "$quoted"
wait_for_size "$WORK/$quoted" "$SOUND_BYTES"
[ ! -e "$WORK/q" ] || fail "a file 'q' was written"
cmp -s "$reference" "$WORK/$quoted" || fail "$quoted holds other bytes"
echo "   written as typed"

echo "== a name of 250 characters"
long="$(printf 'l%.0s' $(seq 246)).wav"
save_over "$long"
wait_for_size "$WORK/$long" "$SOUND_BYTES"
echo "   written"

echo "== nothing else in the folder"
leftovers=$(cd "$WORK" && find . -name '.quorvel-*' -o -name 'q' | wc -l)
[ "$leftovers" -eq 0 ] || fail "stray files: $(cd "$WORK" && find . -name '.quorvel-*')"

echo "== nothing in the user's settings"
written=$(find "$HOME" -path "$HOME/.asoundrc" -prune -o -type f -print)
[ -z "$written" ] || fail "written into the home folder: $written"

press_until_ended "$WINDOW" alt+F4
expect_exit_code 0
echo "PASS"
