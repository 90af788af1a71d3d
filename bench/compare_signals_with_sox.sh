#!/usr/bin/env bash
# Times the render command's measurement signals against sox making the nearest equivalent, in one
# run, taking turns: ten minutes of 48000 Hz pcm24 WAV to standard output into /dev/null, process
# included, then the same written to a file (ours syncs it, sox does not); and what --measure
# costs on ten minutes of a stereo sine written to a file. Wall and CPU seconds, medians of the
# runs.
#
#   bench/compare_signals_with_sox.sh [path/to/quorvel64-render] [runs]
set -euo pipefail
export LC_ALL=C

here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/timing.sh
. "$here/bench/timing.sh"
render=${1:-$here/build/x64/cli/quorvel64-render}
runs=${2:-5}
require_render_and_tools "$render" sox
work=$(scratch_folder "$render" signal-bench)
trap 'rm -rf "$work"' EXIT

seconds=600
names=(sine sweep white pink)
declare -A ours=(
  [sine]="--shape sine --frequency 1000 --exact"
  [sweep]="--shape sweep --frequency 20:20000"
  [white]="--shape white"
  [pink]="--shape pink"
)
declare -A theirs=([sine]="sine 1000" [sweep]="sine 20/20000" [white]="whitenoise" [pink]="pinknoise")

quorvel() {  # signal, output
  # shellcheck disable=SC2086
  "$render" ${ours[$1]} --rate 48000 --format pcm24 --length "$seconds" --quiet --output "$2"
}
# sox cannot seek on a pipe and says so; the warning is no part of the timing.
sox_synth() {  # signal, output
  # shellcheck disable=SC2086
  sox -D -V1 -n -r 48000 -b 24 -t wav "$2" synth "$seconds" ${theirs[$1]}
}
to_null() { "$1" "$2" - >/dev/null; }
stereo_sine() {  # extra option, if any
  rm -f "$work/out.wav"
  sync
  "$render" --shape sine --frequency 1000 --channels 2 --rate 48000 --format pcm24 \
    --length "$seconds" --quiet "$@" --output "$work/out.wav" >/dev/null
}
to_file() { rm -f "$work/out.wav"; sync; "$1" "$2" "$work/out.wav"; }

time_into() {  # file for the figures, command...
  local figures=$1
  shift
  wall_and_cpu "$work/cpu.txt" "$@" >>"$figures"
}

for n in "${names[@]}"; do to_null quorvel "$n"; to_null sox_synth "$n"; done  # warm-up
for ((r = 0; r < runs; ++r)); do
  for n in "${names[@]}"; do
    time_into "$work/q-null-$n.txt" to_null quorvel "$n"
    time_into "$work/s-null-$n.txt" to_null sox_synth "$n"
    time_into "$work/q-file-$n.txt" to_file quorvel "$n"
    time_into "$work/s-file-$n.txt" to_file sox_synth "$n"
  done
  time_into "$work/plain.txt" stereo_sine
  time_into "$work/measured.txt" stereo_sine --measure
done

echo "Machine: $(nproc) cores, $(grep -m 1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "10 minutes of 48000 Hz pcm24; medians of $runs runs; seconds"
printf '  %-8s %-10s %9s %9s %9s %9s %12s\n' signal into "ours" "ours CPU" "sox" "sox CPU" "sox / ours"
for into in null file; do
  for n in "${names[@]}"; do
    qw=$(cut -d' ' -f1 "$work/q-$into-$n.txt" | median) qc=$(cut -d' ' -f2 "$work/q-$into-$n.txt" | median)
    sw=$(cut -d' ' -f1 "$work/s-$into-$n.txt" | median) sc=$(cut -d' ' -f2 "$work/s-$into-$n.txt" | median)
    label=$([[ $into == null ]] && echo /dev/null || echo "a file")
    awk -v n="$n" -v l="$label" -v qw="$qw" -v qc="$qc" -v sw="$sw" -v sc="$sc" \
      'BEGIN { printf "  %-8s %-10s %9.3f %9.3f %9.3f %9.3f %12.2f\n", n, l, qw, qc, sw, sc, sw / qw }'
  done
done
pw=$(cut -d' ' -f1 "$work/plain.txt" | median) mw=$(cut -d' ' -f1 "$work/measured.txt" | median)
awk -v p="$pw" -v m="$mw" 'BEGIN { printf "--measure, stereo sine to a file: %.3f s without, %.3f s with (%.2f times)\n", p, m, m / p }'
