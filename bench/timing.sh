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

# Stops the script unless the render command is there and every tool named is installed.
require_render_and_tools() {  # render command, tool...
  [[ -x $1 ]] || { echo "no render command at $1 (build the x64 preset first)" >&2; exit 1; }
  shift
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
  done
}

fstype() { df --output=fstype "$1" | tail -n 1; }

# A new scratch folder on a disk: a tmpfs would time memory copies, not the writes a user waits
# for, so the build tree beside the render command takes its place. The caller removes it.
scratch_folder() {  # render command, name
  local base=${TMPDIR:-/tmp}
  case $(fstype "$base") in tmpfs | ramfs) base=$(dirname "$1") ;; esac
  mktemp -d "$base/$2.XXXXXX"
}
