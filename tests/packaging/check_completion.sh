#!/usr/bin/env bash
# The installed bash completion of the render command, sourced alone into a clean bash as
# bash-completion would load it: it completes the options the program's --help lists, the values
# --help offers for --shape, --channels and --rate, and file names for --output and after
# --measure.
set -euo pipefail
root=$1 render=$2 emulator=${3:-}

status=0
fail() { echo "FAIL: $*"; status=1; }

script=$root/usr/share/bash-completion/completions/$render
binary=$root/usr/bin/$render
[ -f "$script" ] || { echo "FAIL: $script is missing"; exit 1; }
run=()
[ -z "$emulator" ] || run=("$emulator")
help=$("${run[@]}" "$binary" --help) || { echo "FAIL: $binary --help failed"; exit 1; }

# The function bash would call, as the script registers it for the command's name.
registered=$(bash --norc --noprofile -c 'source "$1" && complete -p "$2"' _ "$script" "$render") ||
  { echo "FAIL: sourcing $script registers no completion for $render"; exit 1; }
function=$(sed -n 's/^complete .*-F \([^ ]*\) .*$/\1/p' <<<"$registered")
[ -n "$function" ] || { echo "FAIL: no completion function in: $registered"; exit 1; }

# Prints the completions, one a line, sorted, of the words given; the last one is being typed.
complete_words() {
  bash --norc --noprofile -c '
    source "$1"; function=$2; shift 2
    COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    "$function" && printf "%s\n" "${COMPREPLY[@]}"' _ "$script" "$function" "$render" "$@" |
    sed '/^$/d' | sort
}
expect() {
  local wanted=$1
  shift
  local got
  got=$(complete_words "$@") || { fail "completing \"$*\" fails"; return; }
  [ "$got" = "$(tr ' ' '\n' <<<"$wanted" | sed '/^$/d' | sort)" ] ||
    fail "completing \"$*\" gives \"${got//$'\n'/ }\", expected \"${wanted//$'\n'/ }\""
}

# What --help offers: its long options, the shape names, the choices of --format and --dither,
# and the ranges of --channels and --rate.
options=$(grep -oE '^ +(-[a-z],)?--[a-z][a-z-]*' <<<"$help" | sed 's/.*,//; s/^ *//' | sort)
shapes=$(grep -oE 'shapes: [a-z|-]+' <<<"$help" | sed 's/shapes: //; s/|/ /g')
choices() { grep -oE -- "--$1 TEXT:\{[a-z0-9,]+\}" <<<"$help" | sed 's/.*{//; s/}//; s/,/ /g'; }
range() { grep -oE -- "--$1 [0-9]+\.\.[0-9]+" <<<"$help" | grep -oE '[0-9]+' | tail -2; }
formats=$(choices format) dithers=$(choices dither) types=$(choices type)
channels=$(seq $(range channels)) rates=$(complete_words --rate "")
read -r lowest highest < <(range rate | paste -sd' ')
for what in options shapes formats dithers types channels rates; do
  [ -n "${!what}" ] || { echo "FAIL: no $what in $render --help:"; echo "$help"; exit 1; }
done

expect "$options" --
expect "$options" ""
expect "--shape" --sh
expect "--no-clobber" --quiet --no
expect "$shapes" --shape ""
expect "$(tr ' ' '\n' <<<"$shapes" | grep '^s' | tr '\n' ' ')" --shape s
# A list: the names typed so far stay, the last one is completed.
expect "saw,square" --shape saw,sq
expect "$channels" --channels ""
# Every rate offered is one the program takes, and the common ones are there.
for rate in $rates; do
  [ "$rate" -ge "$lowest" ] && [ "$rate" -le "$highest" ] || fail "--rate offers $rate"
done
for rate in 44100 48000 96000 192000; do
  grep -qx "$rate" <<<"$rates" || fail "--rate does not offer $rate"
done
expect "$formats" --format ""
expect "$dithers" --dither ""
expect "$types" --type ""
expect "$rates" --channels 2 --rate ""
expect "$(tr ' ' '\n' <<<"$rates" | grep '^1')" --rate 1
# --rate=... reaches the completion as three words: option, "=", value.
expect "$rates" --rate =
expect "$shapes" --shape = ""
expect "" --frequency ""
expect "" --jobs ""
expect "" --peak ""

# File names for --output, and "-" for standard output.
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
touch "$files/tone.wav" "$files/wave.wav"
mkdir "$files/watch"
expect "$files/wave.wav $files/watch" --output "$files/wa"
(cd "$files" && expect "- tone.wav wave.wav watch" --output "" && exit "$status") || status=1
# Files to measure, after --measure and after each other; options still after a dash.
expect "$files/wave.wav $files/watch" --measure "$files/wa"
expect "$files/wave.wav $files/watch" --measure "$files/tone.wav" "$files/wa"
expect "--measure" --measure --meas
expect "$files/wave.wav $files/watch" --plot "$files/wa"
exit $status
