#!/usr/bin/env bash
# Times the render command writing 100 files of 10 s stereo 192000 Hz 16-bit sine, 20 Hz to
# 20 kHz in a logarithmic series, against sox writing the same 100 files one process each, in
# one run on one machine: wall clock of the whole series, medians of the runs. The render command
# with its default jobs and with one; sox one after another and as many at a time as there are
# cores, so each side has a like-for-like partner.
#
#   bench/compare_render_command_with_sox.sh [path/to/quorvel64-render] [runs]
set -euo pipefail
export LC_ALL=C

here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/timing.sh
. "$here/bench/timing.sh"
render=${1:-$here/build/x64/cli/quorvel64-render}
runs=${2:-5}
require_render_and_tools "$render" sox soxi

length=10 rate=192000 channels=2
file_bytes=$((44 + length * rate * channels * 2))
cores=$(nproc)
default_jobs=$("$render" --help | sed -n -E 's/^ *--jobs .*=([0-9]+) *$/\1/p')

work=$(scratch_folder "$render" render-bench)
trap 'rm -rf "$work"' EXIT

# One series for both tools, written once so both parse the very same texts.
mapfile -t freqs < <(awk 'BEGIN { for (i = 0; i < 100; ++i) printf "%.3f\n", 20 * 1000 ^ (i / 99) }')
freq_list=$(IFS=,; echo "${freqs[*]}")

quorvel() {  # jobs, or nothing for the default
  "$render" --shape sine --frequency "$freq_list" --length "$length" --channels "$channels" \
    --rate "$rate" --output "$work/q-{frequency}.wav" --quiet ${1:+--jobs "$1"}
}
sox_one() { sox -D -n -r "$rate" -c "$channels" -b 16 "$work/s-$1.wav" synth "$length" sine "$1"; }
sox_serial() { for f in "${freqs[@]}"; do sox_one "$f"; done; }
# xargs starts sox itself: a shell in between would bill sox for a shell start per file.
sox_parallel() {
  printf '%s\n' "${freqs[@]}" |
    xargs -P "$cores" -I{} sox -D -n -r "$rate" -c "$channels" -b 16 "$work/s-{}.wav" synth "$length" sine {}
}

# Every file there and of the size 10 s of stereo 16-bit samples take: a short or missing file
# would make a tool look faster than it is.
check_files() {  # prefix
  local f size
  for f in "${freqs[@]}"; do
    size=$(stat -c %s "$work/$1-$f.wav" 2>/dev/null || echo missing)
    [[ $size == "$file_bytes" ]] || { echo "$1-$f.wav: $size bytes, not $file_bytes" >&2; exit 1; }
  done
}

# Start each run with no files and no dirty pages left by the one before, or a run pays for the
# previous run's write-back.
clean() { rm -f "$work"/*.wav; sync; }

# Wall and CPU seconds of one whole series.
time_series() {  # command...
  clean
  wall_and_cpu "$work/cpu.txt" "$@"
}

q_all() { quorvel; }
q_one() { quorvel 1; }
names=(q_all q_one sox_serial sox_parallel)
declare -A prefix=([q_all]=q [q_one]=q [sox_serial]=s [sox_parallel]=s)

# Warm-up: binaries, libraries and the file system's allocator into a steady state.
soxi_of() { soxi "$1" | grep -E '^(Channels|Sample Rate|Precision|Duration|Sample Encoding)' | sed 's/^/    /'; }
declare -A soxi_info
for n in "${names[@]}"; do
  time_series "$n" >/dev/null
  check_files "${prefix[$n]}"
  soxi_info[${prefix[$n]}]=$(soxi_of "$work/${prefix[$n]}-${freqs[50]}.wav")
done

# The runs take turns, so a change of load on the machine falls on every configuration alike.
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for ((r = 0; r < runs; ++r)); do
  for n in "${names[@]}"; do
    time_series "$n" >>"$work/$n.txt"
    check_files "${prefix[$n]}"
  done
done
clean
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
declare -A wall cpu
for n in "${names[@]}"; do
  wall[$n]=$(cut -d' ' -f1 "$work/$n.txt" | median)
  cpu[$n]=$(cut -d' ' -f2 "$work/$n.txt" | median)
done

echo "Machine: $cores cores, $(grep -m 1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), files on $(fstype "$work") ($work)"
echo "Series: 100 sine files 20 Hz to 20000 Hz (log), ${length} s, $channels channels, $rate Hz, 16-bit, $file_bytes bytes each"
echo "Load average 1/5/15 min: $load_before before the runs, $load_after after"
echo "Whole series, median of $runs runs after a warm-up"
printf '  %-30s %9s %12s %14s %9s %14s\n' "" "wall s" "per file ms" "sox / quorvel" "CPU s" "sox / quorvel"
row() {  # label, name, partner
  awk -v l="$1" -v w="${wall[$2]}" -v c="${cpu[$2]}" \
      -v pw="${3:+${wall[$3]}}" -v pc="${3:+${cpu[$3]}}" 'BEGIN {
    printf "  %-30s %9.3f %12.2f %14s %9.3f %14s\n", l, w, w * 10,
           (pw == "" ? "" : sprintf("%.2f", w / pw)), c, (pc == "" ? "" : sprintf("%.2f", c / pc))
  }'
}
row "quorvel --jobs default (${default_jobs:-?})" q_all
row "quorvel --jobs 1" q_one
row "sox one after another" sox_serial q_one
row "sox $cores at a time (xargs -P)" sox_parallel q_all
echo "  (sox one after another against quorvel --jobs 1, sox $cores at a time against the default jobs)"
echo "One file of each, as soxi reads it:"
echo "  quorvel q-${freqs[50]}.wav"; echo "${soxi_info[q]}"
echo "  sox s-${freqs[50]}.wav"; echo "${soxi_info[s]}"
