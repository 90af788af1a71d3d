# Shared by the end-to-end scripts, which run inside xvfb-run: a window manager, the program
# started as a child process, and ways to find its windows and wait for it to end.
# Expects PROGRAM (the binary) and EMULATOR (empty, or the runner of a 32-bit binary).
set -euo pipefail

WAIT_STEPS=1200  # tenths of a second before a wait gives up
WORK=$(mktemp -d /tmp/quorvel-e2e.XXXXXX)
PROGRAM_PID=""
OPENBOX_PID=""

cleanup() {
  if [ -n "$PROGRAM_PID" ] && kill -0 "$PROGRAM_PID" 2>/dev/null; then kill "$PROGRAM_PID"; fi
  if [ -n "$OPENBOX_PID" ] && kill -0 "$OPENBOX_PID" 2>/dev/null; then kill "$OPENBOX_PID"; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -m 700 "$WORK/runtime"
export XDG_RUNTIME_DIR="$WORK/runtime"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# An ALSA configuration in a home of its own: "null" is a usable device, "missing" is none.
use_sound_device() {
  mkdir -p "$WORK/home"
  case "$1" in
    null) echo 'pcm.!default { type null }' > "$WORK/home/.asoundrc" ;;
    missing) echo 'pcm.!default { type hw card 7 }' > "$WORK/home/.asoundrc" ;;
  esac
  export HOME="$WORK/home"
}

# Exit code that asks in_x_server.sh for another try on a fresh server.
X_SERVER_UNUSABLE=99

start_window_manager() {
  local step
  for step in $(seq 100); do
    xprop -root >/dev/null 2>&1 && break
    sleep 0.1
  done
  openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
  OPENBOX_PID=$!
  for step in $(seq "$WAIT_STEPS"); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    if ! kill -0 "$OPENBOX_PID" 2>/dev/null; then
      cat "$WORK/openbox.log" >&2
      echo "the X server $DISPLAY cannot be used" >&2
      exit "$X_SERVER_UNUSABLE"
    fi
    sleep 0.1
  done
  fail "openbox did not start"
}

# PROGRAM_PATH, when set, is the program's own PATH.
start_program() {
  (cd "$WORK" && PATH="${PROGRAM_PATH:-$PATH}" exec ${EMULATOR:+"$EMULATOR"} "$PROGRAM") &
  PROGRAM_PID=$!
}

# Prints the id of the visible window whose title is exactly $1 (a regular expression).
wait_for_window() {
  local step id
  for step in $(seq "$WAIT_STEPS"); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended while waiting for '$1'"
    sleep 0.1
  done
  fail "no window '$1'"
}

window_exists() {
  [ -n "$(xdotool search --name "^$1\$" 2>/dev/null || true)" ]
}

# Waits for the program to end and checks its exit code.
expect_exit_code() {
  local step status
  for step in $(seq "$WAIT_STEPS"); do
    kill -0 "$PROGRAM_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$PROGRAM_PID" 2>/dev/null && fail "the program did not end"
  status=0
  wait "$PROGRAM_PID" || status=$?
  PROGRAM_PID=""
  [ "$status" -eq "$1" ] || fail "exit code $status, expected $1"
}

# Activates a window and gives it the keyboard.
focus_window() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
}

# Runs a check every tenth of a second until it succeeds; fails (returns 1) after $1 tries.
wait_until() {
  local tries=$1 step
  shift
  for step in $(seq "$tries"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

program_ended() { ! kill -0 "$PROGRAM_PID" 2>/dev/null; }
window_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; }

# Presses a key in window $1 until the check that follows succeeds. Qt takes keys and close
# requests only once it knows its window is active, which may lag behind the window manager, so
# one press may not be enough while the program is still settling.
press_until() {
  local window=$1 key=$2 attempt
  shift 2
  for attempt in $(seq 20); do
    focus_window "$window" || true
    xdotool key "$key"
    wait_until 30 "$@" && return 0
  done
  return 1
}

# Alt+F4 asks the window manager to close the window, as the close box does.
press_until_ended() { press_until "$1" "$2" program_ended || fail "the program does not end"; }

main_window_title() {
  case "$(basename "$PROGRAM")" in
    quorvel32) echo "Quorvel 32 - Tenbrisk Audio" ;;
    *) echo "Quorvel 64 - Tenbrisk Audio" ;;
  esac
}
