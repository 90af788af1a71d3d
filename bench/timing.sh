# Sourced by the comparison scripts: the wall and CPU seconds of one command, and medians.

# Prints "wall cpu" in seconds for `command...`, whose own messages still reach the terminal.
# CPU too, since a machine shared with other work stretches the wall clock.
wall_and_cpu() {  # scratch file, command...
  local scratch=$1 start end
  shift
  TIMEFORMAT='%3U %3S'
  start=$EPOCHREALTIME
  { time "$@" 2>&3; } 3>&2 2>"$scratch"
  end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" '{ printf "%.6f %.3f\n", e - s, $1 + $2 }' "$scratch"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
