#!/usr/bin/env bash
# Times the render command's exact rendering of 10 s of stereo 192000 Hz 24-bit sine against
# its window rendering of the same in 16 bits and against sox writing the 24-bit file, in one
# run, taking turns: wall and CPU seconds, medians of the runs. With --hour it then writes an
# hour of the same (4.15 GB, RF64) and reports the command's largest resident memory.
#
#   bench/compare_exact_with_sox.sh [path/to/quorvel64-render] [runs] [--hour]
set -euo pipefail
export LC_ALL=C

here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/timing.sh
. "$here/bench/timing.sh"
render=${1:-$here/build/x64/cli/quorvel64-render}
runs=${2:-9}
hour=${3:-}
require_render_and_tools "$render" sox
work=$(scratch_folder "$render" exact-bench)
trap 'rm -rf "$work"' EXIT

tone=(--rate 192000 --channels 2 --length 10 --frequency 997 --quiet)
exact() { "$render" "${tone[@]}" --format pcm24 --exact --output "$work/exact.wav"; }
window() { "$render" "${tone[@]}" --output "$work/window.wav"; }
sox24() { sox -D -n -r 192000 -c 2 -b 24 "$work/sox.wav" synth 10 sine 997; }
names=(exact window sox24)

# Each run into a new file, with no dirty pages left by the one before.
time_one() {  # command
  rm -f "$work"/*.wav
  sync
  wall_and_cpu "$work/cpu.txt" "$1"
}

for n in "${names[@]}"; do time_one "$n" >/dev/null; done  # warm-up
for ((r = 0; r < runs; ++r)); do
  for n in "${names[@]}"; do time_one "$n" >>"$work/$n.txt"; done
done
echo "Machine: $(nproc) cores, $(grep -m 1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "10 s of 997 Hz sine, stereo, 192000 Hz; medians of $runs runs"
printf '  %-34s %10s %10s %12s\n' "" "wall ms" "CPU ms" "wall / exact"
exact_wall=$(cut -d' ' -f1 "$work/exact.txt" | median)
for n in "${names[@]}"; do
  wall=$(cut -d' ' -f1 "$work/$n.txt" | median) cpu=$(cut -d' ' -f2 "$work/$n.txt" | median)
  case $n in
    exact) label="quorvel exact, pcm24" ;;
    window) label="quorvel window rendering, pcm16" ;;
    sox24) label="sox -b 24" ;;
  esac
  awk -v l="$label" -v w="$wall" -v c="$cpu" -v e="$exact_wall" \
    'BEGIN { printf "  %-34s %10.1f %10.1f %12.2f\n", l, w * 1000, c * 1000, w / e }'
done

[[ $hour == --hour ]] || exit 0
# An hour of the same in pcm24: the command's own high-water mark of resident memory.
"$render" --rate 192000 --channels 2 --length 3600 --format pcm24 --quiet --output "$work/hour.wav" &
pid=$!
largest=0
while kill -0 "$pid" 2>/dev/null; do
  now=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0)
  ((now > largest)) && largest=$now
  sleep 0.05
done
wait "$pid"
echo "An hour, 192000 Hz stereo pcm24: $(stat -c %s "$work/hour.wav") bytes ($(head -c 4 "$work/hour.wav")), at most $((largest / 1024)) MB resident"
