#!/usr/bin/env bash
# Playback through the sound server desktops run: a PipeWire daemon and WirePlumber of their own
# (their own runtime folder and session bus), a null sink, and ALSA's default reaching it through
# pipewire-alsa. --play's stereo pcm24 noise is recorded from the sink's monitor (pw-record) and
# found whole in the recording, within one 24-bit step; the window's sound probe opens the same
# default device.
#
#   pipewire_playback.sh PYTHON RENDER_PROGRAM TOOLKIT_TESTS [EMULATOR]
# (PYTHON: one with numpy, Debian's.)
set -euo pipefail

if [[ ${1:-} != --inside ]]; then
  python=$1 render=$(realpath "$2") toolkit_tests=$(realpath "$3") emulator=${4:-}
  for tool in pipewire wireplumber pw-cli pw-metadata pw-record dbus-run-session sox "$python"; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
  done
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -m 700 "$work/run"
  mkdir "$work/home"
  printf 'pcm.!default { type pipewire }\nctl.!default { type pipewire }\n' >"$work/home/.asoundrc"
  # Nothing of the machine's own session: its runtime folder, bus and configuration.
  env -u PIPEWIRE_REMOTE -u DBUS_SESSION_BUS_ADDRESS -u XDG_CONFIG_HOME \
    HOME="$work/home" XDG_RUNTIME_DIR="$work/run" \
    timeout 120 dbus-run-session -- "$0" --inside "$work" "$python" "$render" "$toolkit_tests" \
    "$emulator" 2> >(grep -v "Failed to set fd limit" >&2)
  exit
fi

work=$2 python=$3 render=$4 toolkit_tests=$5 emulator=${6:-}
run=()
[ -z "$emulator" ] || run=("$emulator")
sink=quorvel-test-sink
daemons=()
trap 'kill "${daemons[@]}" 2>/dev/null; wait 2>/dev/null' EXIT

# Waits, a tenth of a second at a time for up to ten seconds, until the command succeeds.
await() {
  local tries
  for ((tries = 0; tries < 100; ++tries)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "FAIL: gave up waiting for: $*"
  for log in "$work"/*.log; do echo "== $log"; tail -n 20 "$log"; done
  exit 1
}
node_named() { pw-cli ls Node | grep -q "node.name = \"$1\""; }

pipewire >"$work/pipewire.log" 2>&1 &
daemons+=($!)
await pw-cli info 0
wireplumber >"$work/wireplumber.log" 2>&1 &
daemons+=($!)
pw-cli create-node adapter "{ factory.name=support.null-audio-sink node.name=$sink
  media.class=Audio/Sink object.linger=true audio.position=[FL FR] audio.rate=48000 }" >/dev/null
await node_named "$sink"
# WirePlumber makes the only sink the default one, where ALSA's default goes.
await bash -c "pw-metadata 0 default.audio.sink | grep -q $sink"

pw-record --target "$sink" -P '{ stream.capture.sink=true }' --rate 48000 --channels 2 \
  --format s24 "$work/heard.wav" 2>"$work/pw-record.log" &
recorder=$!
daemons+=("$recorder")
await node_named pw-record
status=0
"${run[@]}" "$render" --shape white --channels 2 --rate 48000 --format pcm24 --length 2 --play \
  --quiet --output "$work/played.wav" || { echo "FAIL: --play through PipeWire failed"; status=1; }
sleep 0.5  # the sink's last period, on its way to the recorder
kill -INT "$recorder"
wait "$recorder" || true

"$python" - "$work/played.wav" "$work/heard.wav" <<'PY' || status=1
import subprocess, sys
import numpy as np

def samples(path):
    raw = subprocess.run(["sox", path, "-t", "raw", "-e", "signed", "-b", "32", "-"],
                         check=True, capture_output=True).stdout
    return (np.frombuffer(raw, dtype="<i4") >> 8).reshape(-1, 2).astype(np.int64)

played, heard = samples(sys.argv[1]), samples(sys.argv[2])
# The file starts where the recording first matches its first frames.
starts = np.nonzero((heard[:, 0] == played[0, 0]) & (heard[:, 1] == played[0, 1]))[0]
found = [s for s in starts if s + len(played) <= len(heard) and
         np.abs(heard[s:s + len(played)] - played).max() <= 1]
ok = len(found) == 1
print(("PASS" if ok else "FAIL") + f": --play through PipeWire: {len(played)} frames played, "
      f"{len(heard)} recorded, found whole {len(found)} time(s) within one 24-bit step")
sys.exit(0 if ok else 1)
PY

if QUORVEL_PIPEWIRE_SESSION=1 "${run[@]}" "$toolkit_tests" \
  --gtest_filter=SoundOutput.OpensTheDefaultDeviceThroughPipeWire --gtest_brief=1 \
  >"$work/probe.log" 2>&1 && grep -q "1 test" "$work/probe.log" && ! grep -q SKIPPED "$work/probe.log"; then
  echo "PASS: the window's sound probe opens ALSA's default through PipeWire"
else
  echo "FAIL: the window's sound probe through PipeWire:"
  cat "$work/probe.log"
  status=1
fi
exit $status
