#!/usr/bin/env bash
# Runs a command under its own virtual X server. The search for a free display starts at a random
# number, so tests started at the same time by other builds do not race for the same one.
set -euo pipefail
exec xvfb-run -a -n $((200 + RANDOM % 600)) -s "-screen 0 1024x768x24" "$@"
