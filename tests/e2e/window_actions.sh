# What a user does in the main window and its dialogs, for the end-to-end scripts. Expects
# x_session.sh to be sourced first, and WINDOW and MENU_BAR to be set once the window is up.

CLIENT_HEIGHT=379
PANEL_X=15
PANEL_Y=80
BORDER=2

# Qt's scale factor: positions here are in the program's logical pixels, xdotool's in the screen's.
SCALE=${QT_SCALE_FACTOR:-1}

# The first screen pixel whose logical position is at least $1, so that it lands in that logical
# pixel at any scale.
to_screen() {
  awk -v v="$1" -v s="$SCALE" 'BEGIN { d = v * s; i = int(d); if (i < d) i++; print i }'
}

# Screen coordinates in the window of a point given in the window's logical coordinates.
at_window() {
  echo "$(to_screen "$1") $(to_screen "$2")"
}

# Screen coordinates of a point given in the panel's coordinates; the window includes the menu bar.
at_panel() {
  at_window $((PANEL_X + $1)) $((MENU_BAR + PANEL_Y + $2))
}

click_at() {
  xdotool mousemove --window "$WINDOW" $1 $2 click 1
}

# Number of the program's menus and list pop-ups that are open: its visible windows but the main
# one, since no dialog is open when this is asked.
open_menus() {
  xdotool search --onlyvisible --class "^$(basename "$PROGRAM")\$" 2>/dev/null | grep -v -x "$WINDOW" | wc -l
}

menus_open() { [ "$(open_menus)" -ge "$1" ]; }
wait_for_open_menus() { wait_until 50 menus_open "$1"; }

# Keys typed before a menu is up would go to the window, so the click is repeated until it is.
open_file_menu() {
  local attempt
  for attempt in $(seq 10); do
    focus_window "$WINDOW"
    click_at $(at_window 15 $((MENU_BAR / 2)))
    wait_for_open_menus 1 && return 0
    xdotool key Escape
  done
  fail "the File menu does not open"
}

# Options > submenu number $1 (from 0) > item number $2 (from 0).
choose_option() {
  open_file_menu
  xdotool key Right
  local step
  for step in $(seq "$1"); do xdotool key Down; done
  xdotool key Right
  wait_for_open_menus 2 || fail "the Options submenu does not open"
  for step in $(seq "$2"); do xdotool key Down; done
  xdotool key Return
}

# File > Save Rendering Shape (Wav); prints the id of the dialog that answers: the save dialog,
# or the request to render first.
ask_to_save() {
  open_file_menu
  xdotool key Down Return
  local step id
  for step in $(seq "$WAIT_STEPS"); do
    for title in 'Save Wav' 'Please'; do
      id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1 || true)
      if [ -n "$id" ]; then echo "$title $id"; return 0; fi
    done
    sleep 0.1
  done
  fail "no dialog after the save command"
}

# Saves with a name that replaces the proposed one, unless it is the proposed one.
save_as() {
  local name=$1 answer
  answer=$(ask_to_save)
  [ "${answer% *}" = "Save Wav" ] || fail "asked to render first: nothing was rendered"
  type_name_and_wait "$name" "${answer##* }"
}

type_name_and_wait() {
  local name=$1 dialog=$2 step
  focus_window "$dialog"
  if [ "$name" != "rorovoraderuz.wav" ]; then
    xdotool key ctrl+a
    xdotool type --delay 20 "$name"
  fi
  xdotool key Return
  for step in $(seq "$WAIT_STEPS"); do
    [ -f "$WORK/$name" ] && return 0
    sleep 0.1
  done
  fail "$name was not saved"
}

# The window is shown before its controls are; a press that came too early leaves nothing
# rendered, which the save command tells, so the press is repeated until it took effect.
render_and_save_defaults() {
  local attempt answer
  for attempt in $(seq 10); do
    focus_window "$WINDOW"
    click_at $(at_panel $((88 + 65)) $((222 + 12)))  # "Rendering Shape"
    answer=$(ask_to_save)
    if [ "${answer% *}" = "Save Wav" ]; then
      type_name_and_wait rorovoraderuz.wav "${answer##* }"
      return 0
    fi
    press_until_gone "${answer##* }" Return
  done
  fail "Rendering Shape has no effect"
}

press_until_gone() { press_until "$1" "$2" window_gone "$1" || fail "the box does not go"; }


# Starts the window manager and the program with a null sound device, and waits for its window:
# sets WINDOW and MENU_BAR.
start_main_window() {
  start_window_manager
  use_sound_device null
  start_program
  WINDOW=$(wait_for_window "$(main_window_title)")
  local WIDTH HEIGHT X Y SCREEN
  eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
  MENU_BAR=$(awk -v h="$HEIGHT" -v s="$SCALE" -v c="$CLIENT_HEIGHT" \
    'BEGIN { print int(h / s + 0.5) - c }')
  focus_window "$WINDOW"
}
