#!/usr/bin/env bash
# Runs a command under its own virtual X server. The search for a free display starts at a random
# number, so tests started at the same time by other builds seldom race for the same one; when
# they do, the command reports the server unusable (exit code 99) and gets a fresh one.
set -uo pipefail
for attempt in 1 2 3; do
  xvfb-run -a -n $((200 + RANDOM % 600)) -s "-screen 0 1024x768x24" "$@"
  status=$?
  [ "$status" -eq 99 ] || exit "$status"
  echo "X server unusable, trying another one" >&2
done
exit 1
