#!/usr/bin/env bash
# Times our build + render + write of 10 s of stereo 192000 Hz 16-bit sine against sox writing
# the same amount of audio, in one run, and prints our time over sox's (median of the runs;
# wall clock and CPU time, since a loaded machine stretches the wall clock of both).
#
#   bench/compare_with_sox.sh [path/to/sound_bench] [runs]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$here/build/x64/bench/sound_bench}
runs=${2:-7}
[[ -x $bench ]] || { echo "no benchmark at $bench (build the x64 preset first)" >&2; exit 1; }
command -v sox >/dev/null || { echo "sox is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
best() { sort -g | head -n 1; }

# Ours: Google Benchmark repetitions of the whole path, in milliseconds; the file is flushed but,
# as with sox, not waited onto the disk.
"$bench" --benchmark_filter='^BM_BuildRenderWrite/synced:0/' --benchmark_repetitions="$runs" \
  --benchmark_format=csv >"$work/ours.csv" 2>/dev/null
grep -v -E '_(mean|median|stddev|cv)"' "$work/ours.csv" | awk -F, 'NR > 1 { print $3, $4 }' >"$work/ours.txt"

# sox: the same file size, the process included, in milliseconds.
TIMEFORMAT='%3R %3U %3S'
for ((i = 0; i < runs; ++i)); do
  { time sox -D -r 192000 -c 2 -b 16 -n "$work/sox.wav" synth 10 sine 997; } 2>"$work/time.txt"
  awk '{ printf "%.3f %.3f\n", $1 * 1000, ($2 + $3) * 1000 }' "$work/time.txt" >>"$work/sox.txt"
done
sox_bytes=$(stat -c %s "$work/sox.wav")

ours_wall=$(cut -d' ' -f1 "$work/ours.txt" | median)
ours_cpu=$(cut -d' ' -f2 "$work/ours.txt" | median)
ours_best=$(cut -d' ' -f1 "$work/ours.txt" | best)
sox_wall=$(cut -d' ' -f1 "$work/sox.txt" | median)
sox_cpu=$(cut -d' ' -f2 "$work/sox.txt" | median)
sox_best=$(cut -d' ' -f1 "$work/sox.txt" | best)

echo "10 s stereo 192000 Hz 16-bit sine, $runs runs each (ours 7680044 bytes, sox $sox_bytes bytes)"
printf 'ours: wall median %8.2f ms  best %8.2f ms  CPU median %8.2f ms\n' "$ours_wall" "$ours_best" "$ours_cpu"
printf 'sox:  wall median %8.2f ms  best %8.2f ms  CPU median %8.2f ms\n' "$sox_wall" "$sox_best" "$sox_cpu"
awk -v ow="$ours_wall" -v sw="$sox_wall" -v ob="$ours_best" -v sb="$sox_best" \
    -v oc="$ours_cpu" -v sc="$sox_cpu" 'BEGIN {
  printf "ours / sox: wall median %.3f  best %.3f  CPU median %.3f\n", ow / sw, ob / sb, (sc > 0 ? oc / sc : 0)
}'
