#!/usr/bin/env bash
# Times our build + render + write of 10 s of stereo 192000 Hz 16-bit sine against sox writing
# the same file, in one run, and prints our time over sox's (medians of the runs; wall clock and
# CPU time, since a loaded machine stretches the wall clock of both). Twice: saving under a new
# name, and replacing the file of the previous run, whose release the file system may make wait.
#
#   bench/compare_with_sox.sh [path/to/sound_bench] [runs]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$here/build/x64/bench/sound_bench}
runs=${2:-7}
[[ -x $bench ]] || { echo "no benchmark at $bench (build the x64 preset first)" >&2; exit 1; }
command -v sox >/dev/null || { echo "sox is not installed" >&2; exit 1; }

# A 32-bit benchmark on a kernel without 32-bit support runs under emulation: its times then
# measure the emulator as much as the program.
runner=()
if ! "$bench" --benchmark_list_tests=true >/dev/null 2>&1; then runner=(qemu-i386); fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Ours: Google Benchmark repetitions of the whole path, wall and CPU milliseconds per line. The
# file is flushed but, as with sox, not waited onto the disk.
time_ours() {  # replacing: 0 or 1
  "${runner[@]}" "$bench" --benchmark_filter="^BM_BuildRenderWrite/synced:0/replacing:$1/" \
    --benchmark_repetitions="$runs" --benchmark_format=csv 2>/dev/null |
    grep -v -E '_(mean|median|stddev|cv)"' | awk -F, 'NR > 1 { print $3, $4 }'
}

# sox: the process included, wall and CPU milliseconds per line.
time_sox() {  # replacing: 0 or 1
  local out=$work/sox.wav
  TIMEFORMAT='%3R %3U %3S'
  sox -D -r 192000 -c 2 -b 16 -n "$out" synth 10 sine 997  # the file the first run replaces
  for ((i = 0; i < runs; ++i)); do
    if [[ $1 == 0 ]]; then rm -f "$out"; sync; fi
    { time sox -D -r 192000 -c 2 -b 16 -n "$out" synth 10 sine 997; } 2>"$work/time.txt"
    awk '{ printf "%.3f %.3f\n", $1 * 1000, ($2 + $3) * 1000 }' "$work/time.txt"
  done
}

echo "10 s stereo 192000 Hz 16-bit sine (7680044 bytes), medians of $runs runs${runner:+, ours under ${runner[*]}}"
for replacing in 0 1; do
  time_ours "$replacing" >"$work/ours.txt"
  time_sox "$replacing" >"$work/sox.txt"
  ours_wall=$(cut -d' ' -f1 "$work/ours.txt" | median)
  ours_cpu=$(cut -d' ' -f2 "$work/ours.txt" | median)
  sox_wall=$(cut -d' ' -f1 "$work/sox.txt" | median)
  sox_cpu=$(cut -d' ' -f2 "$work/sox.txt" | median)
  [[ $replacing == 0 ]] && echo "new file:" || echo "replacing a file:"
  printf '  ours: wall %7.2f ms  CPU %7.2f ms\n' "$ours_wall" "$ours_cpu"
  printf '  sox:  wall %7.2f ms  CPU %7.2f ms\n' "$sox_wall" "$sox_cpu"
  awk -v ow="$ours_wall" -v sw="$sox_wall" -v oc="$ours_cpu" -v sc="$sox_cpu" 'BEGIN {
    printf "  ours / sox: wall %.3f  CPU %.3f\n", ow / sw, (sc > 0 ? oc / sc : 0)
  }'
done
