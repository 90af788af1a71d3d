#!/usr/bin/env bash
# Inside an X session: starts openbox and the program, waits for the program's window, asks it to
# close with Alt+F4 as a user would, and expects the program to end with exit code 0.
set -uo pipefail
program=$1 title=$2
patience=60   # seconds; a guard against hanging, not a measure of speed

fail() { echo "FAIL: $*"; exit 1; }

openbox --sm-disable &
wm=$!
app=""
trap 'kill $wm ${app:-} 2>/dev/null' EXIT
for ((i = 0; i < patience * 10; i++)); do
  xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' && break
  sleep 0.1
done

"$program" &
app=$!
window=$(timeout "$patience" xdotool search --sync --name "^${title}\$" | head -n 1)
[ -n "$window" ] || fail "no window titled \"$title\""
echo "window $window: $(xdotool getwindowname "$window")"

# The window is shown before start-up ends, and start-up drops events; so repeat the request
# until the program ends.
for ((i = 0; i < patience; i++)); do
  kill -0 "$app" 2>/dev/null || break
  timeout 5 xdotool windowactivate --sync "$window" 2>/dev/null
  xdotool key --clearmodifiers alt+F4
  sleep 1
done
kill -0 "$app" 2>/dev/null && fail "$program still runs after $patience close requests"
wait "$app"
code=$?
app=""
[ "$code" -eq 0 ] || fail "$program ended with exit code $code"
echo "$program ended with exit code 0"
