#!/usr/bin/env bash
# The main window as a screen reader reads it: the real program on a session bus of its own with
# the AT-SPI registry, its accessible tree read by accessible_tree.py at start, after presses in
# the first, middle and last columns of both sliders and after a press in every column of each.
# Usage (inside xvfb-run): accessibility.sh PROGRAM [EMULATOR]
PROGRAM=$(realpath "$1")
EMULATOR=${2:-}
source "$(dirname "$0")/x_session.sh"
source "$(dirname "$0")/window_actions.sh"

SKIPPED=77
skip() {
  echo "SKIP: $*"
  exit "$SKIPPED"
}

# Debian's pyatspi belongs to Debian's python; a python3 found first on PATH (pyenv, a virtual
# environment) usually cannot import it.
PYTHON=""
for candidate in /usr/bin/python3 python3; do
  if "$candidate" -c 'import pyatspi' 2>/dev/null; then PYTHON=$candidate; break; fi
done
[ -n "$PYTHON" ] || skip "pyatspi (python3-pyatspi) is not installed"
LAUNCHER=""
for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
  if [ -x "$candidate" ]; then LAUNCHER=$candidate; break; fi
done
[ -n "$LAUNCHER" ] || skip "the AT-SPI bus launcher (at-spi2-core) is not installed"
for tool in dbus-daemon dbus-send; do
  command -v "$tool" >/dev/null || skip "$tool (dbus-daemon, dbus-bin) is not installed"
done

# A session bus of its own, so that the tree read is this program's and no desktop's.
BUS_PID=""
LAUNCHER_PID=""
end_session() {
  cleanup
  if [ -n "$LAUNCHER_PID" ]; then kill "$LAUNCHER_PID" 2>/dev/null || true; fi
  if [ -n "$BUS_PID" ]; then kill "$BUS_PID" 2>/dev/null || true; fi
}
trap end_session EXIT
{ read -r DBUS_SESSION_BUS_ADDRESS; read -r BUS_PID; } < <(
  dbus-daemon --session --fork --nosyslog --print-address=1 --print-pid=1 2>"$WORK/bus.log")
export DBUS_SESSION_BUS_ADDRESS
# A bare session bus would start the launcher on first request, but then the program may ask
# before the accessibility bus is up and stay off it.
"$LAUNCHER" --launch-immediately >"$WORK/launcher.log" 2>&1 &
LAUNCHER_PID=$!
accessibility_bus_up() {
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    2>/dev/null | grep -q 'string "unix:'
}
wait_until 100 accessibility_bus_up || {
  cat "$WORK/launcher.log" >&2
  fail "the AT-SPI bus does not start"
}
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

start_main_window

# Where each column of the sliders is pressed: "slider inner-x screen-x screen-y".
for slider in Length:165 Amplitude:125; do
  for x in $(seq 0 144); do
    echo "${slider%:*} $x $(at_panel $((74 + BORDER + x)) $((${slider#*:} + BORDER + 10)))"
  done
done > "$WORK/presses"

echo "== the accessible tree"
"$PYTHON" "$(dirname "$0")/accessible_tree.py" "$(basename "$PROGRAM")" "$PROGRAM_PID" \
  "$(main_window_title)" "$WINDOW" "$WORK/presses" || fail "the accessible tree is not as expected"

echo "== close box"
press_until_ended "$WINDOW" alt+F4
expect_exit_code 0
echo "   exit code 0"
echo "PASS"
