#!/usr/bin/env bash
# Started where no display can be reached (an ssh shell, a cron job), the program says so in one
# line on stderr and ends with exit code 0, instead of aborting with a core dump.
# Usage: no_display.sh PROGRAM [EMULATOR]
set -euo pipefail
PROGRAM=$(realpath "$1")
EMULATOR=${2:-}
WORK=$(mktemp -d)
SERVER_PID=""
trap '[ -z "$SERVER_PID" ] || kill "$SERVER_PID" 2>/dev/null; rm -rf "$WORK"' EXIT
name=$(basename "$PROGRAM")

fail() { echo "FAIL: $*" >&2; exit 1; }

# A display number that no server here listens on.
free_display=99
while [ -e "/tmp/.X11-unix/X$free_display" ]; do free_display=$((free_display + 1)); done

# expect_refusal WHAT VARIABLE=VALUE... : runs the program with only these display variables.
expect_refusal() {
  local what=$1 status=0
  shift
  (cd "$WORK" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" \
    ${EMULATOR:+"$EMULATOR"} "$PROGRAM" >"$WORK/out" 2>"$WORK/err") || status=$?
  [ "$status" -eq 0 ] || fail "$what: exit code $status; stderr: $(cat "$WORK/err")"
  [ ! -s "$WORK/out" ] || fail "$what: wrote to stdout: $(cat "$WORK/out")"
  [ "$(wc -l < "$WORK/err")" -eq 1 ] || fail "$what: stderr is not one line: $(cat "$WORK/err")"
  grep -q "^$name: needs a graphical desktop, but no display can be reached (" "$WORK/err" ||
    fail "$what: said $(cat "$WORK/err")"
  ls "$WORK" | grep -q '^core' && fail "$what: left a core file"
  echo "   $what: $(cat "$WORK/err")"
}

expect_refusal "no display variable" XDG_RUNTIME_DIR="$WORK"
expect_refusal "a display without a server" DISPLAY=":$free_display" XDG_RUNTIME_DIR="$WORK"
expect_refusal "a Wayland name without a compositor" WAYLAND_DISPLAY=wayland-77 XDG_RUNTIME_DIR="$WORK"
grep -q 'WAYLAND_DISPLAY=wayland-77 cannot be reached' "$WORK/err" || fail "the variable is not named"

# A server that is there but refuses the program: it asks for a cookie the program lacks.
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
xauth -q -f "$WORK/server-cookie" add ":$free_display" . "$cookie"
Xvfb ":$free_display" -auth "$WORK/server-cookie" -nolisten tcp >"$WORK/server.log" 2>&1 &
SERVER_PID=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$free_display" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X$free_display" ] || fail "Xvfb did not start: $(cat "$WORK/server.log")"
: >"$WORK/no-cookie"
expect_refusal "a server that refuses the client" DISPLAY=":$free_display" \
  XAUTHORITY="$WORK/no-cookie" XDG_RUNTIME_DIR="$WORK"
echo "PASS"
