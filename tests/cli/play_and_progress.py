#!/usr/bin/env python3
"""--play, --loop-play, the progress line and Ctrl-C, as a user meets them: ALSA's default device
made a file plugin that captures what is played; a pseudo-terminal and a pipe for standard error;
SIGINT in the middle of a long file.

Usage: play_and_progress.py RENDER_PROGRAM [EMULATOR]"""
import json
import os
import pty
import signal
import subprocess
import tempfile
import time

from analysis_support import EMULATOR, PROGRAM, QUICK, check, finish



def run(home, *words):
    return subprocess.run(EMULATOR + [PROGRAM, *words], capture_output=True, text=True,
                          env=dict(os.environ, HOME=home), cwd=home)


def capturing_home(folder):
    home = os.path.join(folder, "capturing")
    os.makedirs(home, exist_ok=True)
    with open(os.path.join(home, ".asoundrc"), "w") as config:
        config.write('pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\n'
                     % os.path.join(home, "played.raw"))
    return home


def played(home):
    path = os.path.join(home, "played.raw")
    with open(path, "rb") as file:
        data = file.read()
    os.remove(path)
    return data


def samples_of(path, header):
    """The file's samples: after its WAV header, or a FLAC file's as flac decodes them."""
    if path.endswith(".flac"):
        return subprocess.run(["flac", "-d", "-c", "-s", "--force-raw-format", "--endian=little",
                               "--sign=signed", path], check=True, capture_output=True).stdout
    with open(path, "rb") as file:
        return file.read()[header:]


def playback(folder):
    home = capturing_home(folder)
    cases = (("pcm24 exact", ["--format", "pcm24", "--rate", "48000", "--frequency", "1000",
                              "--length", "1"], 1, 68),
             ("the window's pcm16, twice", ["--frequency", "997", "--length", "0.5",
                                             "--channels", "2", "--loop-play", "2"], 2, 44),
             ("float32 noise, three times", ["--shape", "white", "--format", "float32",
                                             "--length", "0.3", "--loop-play", "3"], 3, 80),
             ("pcm24 FLAC, twice", ["--format", "pcm24", "--rate", "48000", "--shape", "pink",
                                    "--length", "0.5", "--loop-play", "2"], 2, None))
    for name, words, times, header in cases:
        path = os.path.join(home, "file.wav" if header else "file.flac")
        done = run(home, *words, *([] if "--loop-play" in words else ["--play"]), "--output",
                   path)
        line = json.loads(done.stdout) if done.returncode == 0 else {}
        captured = played(home) if done.returncode == 0 else b""
        expected = samples_of(path, header) * times if done.returncode == 0 else b"-"
        check(f"played: {name}", captured == expected and line.get("played") == times,
              f"exit {done.returncode}, {len(captured)} bytes captured, {len(expected)} in the "
              f"file {times} times over {done.stderr.strip()}")
    done = run(home, "--shape", "sweep", "--frequency", "100:1000", "--length", "0.5", "--play",
               "--measure")
    line = json.loads(done.stdout)
    check("played without a file", done.returncode == 0 and line["path"] is None and
          len(played(home)) == line["data_bytes"] and not os.path.exists(
              os.path.join(home, "file.wav.new")) and len(line["measured"]["sha256"]) == 64,
          f"path {line['path']}, {line['data_bytes']} bytes played, measured")

    missing = os.path.join(folder, "no-device")
    os.makedirs(missing)
    with open(os.path.join(missing, ".asoundrc"), "w") as config:
        config.write("pcm.!default { type hw card 7 device 0 }\nctl.!default { type hw card 7 }\n")
    done = run(missing, "--play", "--output", "x.wav")
    check("no sound device", done.returncode == 1 and done.stderr == "Soundcard not present\n"
          and not os.path.exists(os.path.join(missing, "x.wav")),
          f"exit {done.returncode}, {done.stderr.strip()!r}, nothing written")
    done = run(missing, "--frequency", "997")
    check("--output or --play", done.returncode == 2 and "--output is required" in done.stderr,
          done.stderr.splitlines()[0])


def progress(folder):
    # Long enough for a few redraws, a tenth of a second apart (twenty minutes of pink noise take
    # about half a second here).
    words = [PROGRAM, "--shape", "pink", "--length", "60" if QUICK else "1200", "--rate", "48000",
             "--output",
             os.path.join(folder, "long.wav")]
    master, slave = pty.openpty()
    child = subprocess.Popen(EMULATOR + words, stdout=subprocess.PIPE, stderr=slave)
    os.close(slave)
    seen = b""
    while True:
        try:
            chunk = os.read(master, 4096)
        except OSError:
            break
        if not chunk:
            break
        seen += chunk
    child.wait()
    os.close(master)
    text = seen.decode()
    check("progress on a terminal", "of 1 files" in text and "s of audio" in text and
          text.endswith("\r\x1b[K") and child.stdout.read().count(b"\n") == 1,
          f"{text.count('of audio')} updates, cleared at the end: {text[-40:]!r}")
    piped = subprocess.run(EMULATOR + words, capture_output=True)
    check("no progress on a pipe", piped.returncode == 0 and piped.stderr == b"",
          f"stderr {piped.stderr[:60]!r}")


def interrupted(folder):
    target = os.path.join(folder, "stopped", "hour.wav")
    os.makedirs(os.path.dirname(target))
    # An hour of 48 kHz stereo pcm24 (1 GB), which needs no measuring pass before it is written.
    child = subprocess.Popen(EMULATOR + [PROGRAM, "--frequency", "1000", "--exact", "--length",
                                         "3600", "--rate", "48000", "--channels", "2", "--format",
                                         "pcm24", "--output", target], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True)
    # Once the file is open (planning, which writes nothing, may take a while first).
    folder_of_target = os.path.dirname(target)
    deadline = time.monotonic() + 600
    while time.monotonic() < deadline and child.poll() is None:
        descriptors = os.path.join("/proc", str(child.pid), "fd")
        try:
            links = [os.readlink(os.path.join(descriptors, fd)) for fd in os.listdir(descriptors)]
        except OSError:
            links = []
        if any(link.startswith(folder_of_target) for link in links):
            break
        time.sleep(0.02)
    time.sleep(0.2)
    child.send_signal(signal.SIGINT)
    out, err = child.communicate()
    left = os.listdir(os.path.dirname(target))
    check("Ctrl-C while writing", child.returncode == 130 and left == [] and out == "" and
          "Stopped: " in err, f"exit {child.returncode}, {err.strip()!r}, left: {left}")


with tempfile.TemporaryDirectory() as folder:
    playback(folder)
    progress(folder)
    interrupted(folder)
finish()
