#!/usr/bin/env bash
# Refreshes docs/quorvel.png, the README's screenshot: starts quorvel64 on a virtual X display
# under openbox, with a null sound device, and captures its window with the frame once it has
# settled.
#   scripts/screenshot.sh [PROGRAM]   PROGRAM defaults to build/x64/app/quorvel64, built if needed
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = --inside-x ]; then
  program=$2 picture=$3
  openbox --sm-disable &
  wm=$!
  app=""
  trap 'kill $wm ${app:-} 2>/dev/null || true' EXIT
  until xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; do sleep 0.1; done

  "$program" &
  app=$!
  window=$(timeout 60 xdotool search --sync --name '^Quorvel 64 - Tenbrisk Audio$' | head -n 1)
  [ -n "$window" ] || { echo "no Quorvel window appeared" >&2; exit 1; }

  # Start-up goes on after the window is shown; wait until two captures in a row are the same.
  previous=""
  for _ in $(seq 40); do
    sleep 0.5
    import -silent -frame -window "$window" -strip "png:$picture"
    current=$(md5sum <"$picture")
    [ "$current" = "$previous" ] && exit 0
    previous=$current
  done
  echo "the window did not settle" >&2
  exit 1
fi

program=${1:-}
if [ -z "$program" ]; then
  [ -f build/x64/build.ninja ] || cmake --preset x64
  cmake --build --preset x64 --target quorvel64
  program=build/x64/app/quorvel64
fi
program=$(realpath "$program")

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# A machine without a sound card: the null device lets the program start.
printf 'pcm.!default { type null }\n' >"$home/.asoundrc"
mkdir -p docs
HOME=$home QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 640x560x24" \
  "$PWD/scripts/screenshot.sh" --inside-x "$program" "$home/quorvel.png"
mv "$home/quorvel.png" docs/quorvel.png
echo "docs/quorvel.png: $(identify -format '%wx%h' docs/quorvel.png)"
