#!/usr/bin/env bash
# The program on Wayland, under a headless weston: it starts without a warning and tells the
# compositor its desktop entry's name as its app id, so shells can match its window to its entry
# and icon. Skipped where weston or Qt's Wayland plugin is missing, or weston cannot start.
# Usage: wayland.sh PROGRAM APP_ID [EMULATOR]
set -euo pipefail
PROGRAM=$(realpath "$1")
APP_ID=$2
EMULATOR=${3:-}
SKIPPED=77
WORK=$(mktemp -d)
WESTON_PID="" PROGRAM_PID=""
cleanup() {
  [ -z "$PROGRAM_PID" ] || kill "$PROGRAM_PID" 2>/dev/null || true
  [ -z "$WESTON_PID" ] || kill "$WESTON_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*"; exit "$SKIPPED"; }

command -v weston >/dev/null || skip "weston is not installed"
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
  skip "Qt's Wayland plugin (qt6-wayland) is not installed"

mkdir -m 700 "$WORK/runtime" "$WORK/home"
echo 'pcm.!default { type null }' > "$WORK/home/.asoundrc"
export XDG_RUNTIME_DIR="$WORK/runtime" HOME="$WORK/home"
weston --backend=headless-backend.so --socket=quorvel-test --idle-time=0 \
  >"$WORK/weston.log" 2>&1 &
WESTON_PID=$!
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/quorvel-test" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/quorvel-test" ] || skip "weston did not start: $(tail -n 3 "$WORK/weston.log")"

# The client's protocol log shows what it tells the compositor.
(cd "$WORK" && env -u DISPLAY WAYLAND_DISPLAY=quorvel-test QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 \
  ${EMULATOR:+"$EMULATOR"} "$PROGRAM" 2>"$WORK/err") &
PROGRAM_PID=$!
for _ in $(seq 300); do grep -q 'set_app_id' "$WORK/err" 2>/dev/null && break; sleep 0.1; done
grep -q "xdg_toplevel@[0-9]*\.set_app_id(\"$APP_ID\")" "$WORK/err" ||
  fail "no app id $APP_ID: $(grep -m 3 'set_app_id\|^[^[]' "$WORK/err" || true)"
echo "   app id $APP_ID"
sleep 1
kill -0 "$PROGRAM_PID" || fail "the program ended: $(grep -v '^\[' "$WORK/err")"
# Everything but the protocol log is a message of the program or of Qt.
messages=$(grep -v '^\[ *[0-9.]*\] ' "$WORK/err" || true)
[ -z "$messages" ] || fail "the program said: $messages"
echo "   no warnings"
echo "PASS"
