#!/usr/bin/env bash
# Times FLAC against WAV from the render command, and against the reference encoder (`flac -5`) of
# the same WAV, in one run, taking turns: ten minutes of 48000 Hz stereo pcm24, written to a file
# (ours syncs it; flac does not), for a compressible tone and for incompressible noise. Also the
# largest resident memory of the FLAC render. Wall and CPU seconds, medians of the runs.
#
#   bench/compare_flac.sh [path/to/quorvel64-render] [runs]
set -euo pipefail
export LC_ALL=C

here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/timing.sh
. "$here/bench/timing.sh"
render=${1:-$here/build/x64/cli/quorvel64-render}
runs=${2:-5}
require_render_and_tools "$render" flac /usr/bin/time
work=$(scratch_folder "$render" flac-bench)
trap 'rm -rf "$work"' EXIT

names=(sine white)
declare -A signal=([sine]="--shape sine --frequency 1000 --peak -20" [white]="--shape white")
quorvel() {  # signal, output
  # shellcheck disable=SC2086
  "$render" ${signal[$1]} --exact --rate 48000 --format pcm24 --channels 2 --length 600 --quiet \
    --output "$2"
}
ours_wav() { rm -f "$work/out.wav"; sync; quorvel "$1" "$work/out.wav"; }
ours_flac() { rm -f "$work/out.flac"; sync; quorvel "$1" "$work/out.flac"; }
reference_flac() { rm -f "$work/ref.flac"; sync; flac -5 -s -f -o "$work/ref.flac" "$work/$1.wav"; }

for n in "${names[@]}"; do quorvel "$n" "$work/$n.wav"; ours_flac "$n"; done  # warm-up, sources
for ((r = 0; r < runs; ++r)); do
  for n in "${names[@]}"; do
    wall_and_cpu "$work/cpu.txt" ours_wav "$n" >>"$work/wav-$n.txt"
    wall_and_cpu "$work/cpu.txt" ours_flac "$n" >>"$work/flac-$n.txt"
    wall_and_cpu "$work/cpu.txt" reference_flac "$n" >>"$work/ref-$n.txt"
  done
done

echo "Machine: $(nproc) cores, $(grep -m 1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "10 minutes of 48000 Hz stereo pcm24 into a file; medians of $runs runs; seconds"
printf '  %-6s %-24s %8s %8s %12s\n' signal what wall CPU bytes
for n in "${names[@]}"; do
  quorvel "$n" "$work/out.flac"
  flac -5 -s -f -o "$work/ref.flac" "$work/$n.wav"
  for what in wav flac ref; do
    case $what in
      wav) label="ours, WAV" bytes=$(stat -c %s "$work/$n.wav") ;;
      flac) label="ours, FLAC" bytes=$(stat -c %s "$work/out.flac") ;;
      ref) label="flac -5 of our WAV" bytes=$(stat -c %s "$work/ref.flac") ;;
    esac
    printf '  %-6s %-24s %8.3f %8.3f %12s\n' "$n" "$label" \
      "$(cut -d' ' -f1 "$work/$what-$n.txt" | median)" \
      "$(cut -d' ' -f2 "$work/$what-$n.txt" | median)" "$bytes"
  done
done
rss=$( { /usr/bin/time -f '%M' "$render" --shape white --exact --rate 48000 --format pcm24 \
  --channels 2 --length 600 --quiet --output "$work/out.flac"; } 2>&1 | tail -n 1)
echo "  largest resident memory of the white FLAC render: $((rss / 1024)) MB"
