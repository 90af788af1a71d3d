#!/usr/bin/env python3
"""The render command's input contract, as a script meets it: every command line that asks for
something no rendering can make, or in words that are not what an option takes, is refused with
exit 2, a message naming the option, and no file; every line within the contract writes what it
asks for, measured on the written file by numpy and scipy.

Usage: input_contract.py RENDER_PROGRAM [EMULATOR]"""
import json
import os
import subprocess
import tempfile
import threading
import warnings

import numpy as np
from scipy.io import wavfile

from analysis_support import EMULATOR, PROGRAM, check, finish

# Each refused line, and the option its message must name.
REFUSED = [
    (["--frequency", "nan"], "--frequency"), (["--frequency", "+Infinity"], "--frequency"),
    (["--frequency", "1e400"], "--frequency"), (["--frequency", "inf"], "--frequency"),
    (["--frequency", ""], "--frequency"), (["--frequency", "1k"], "--frequency"),
    (["--frequency", "0x3E8"], "--frequency"), (["--frequency", "1000Hz"], "--frequency"),
    (["--frequency", "\uff11\uff10\uff10\uff10"], "--frequency"),
    (["--frequency", "997,,1000"], "--frequency"), (["--frequency", "22050"], "--frequency"),
    (["--frequency", "0"], "--frequency"), (["--frequency", "1", "--frequency", "2"], "--frequency"),
    (["--frequency", "1000,/tmp/x", "--output", "{frequency}.wav"], "--frequency"),
    (["--peak", ""], "--peak"), (["--rms", ""], "--rms"), (["--amplitude", ""], "--amplitude"),
    (["--inverse", "", "--shape", "sweep", "--frequency", "20:200"], "--inverse"),
    (["--fade-in", ""], "--fade-in"), (["--length", ""], "--length"),
    (["--length", "0"], "--length"), (["--length", "-1"], "--length"),
    (["--length", "abc"], "--length"), (["--amplitude", "150"], "--amplitude"),
    (["--amplitude", "-10"], "--amplitude"), (["--rate", "48k"], "--rate"),
    (["--peak", "-200"], "--peak"),
    (["--shape", "sweep", "--frequency", "20:20000", "--rate", "48000", "--samples", "1000"],
     "--length"),
    (["--shape", "white", "--bandlimited"], "--bandlimited"),
    (["--shape", "sine", "--seed", "5"], "--seed"),
    (["--shape", "white", "--frequency", "1000"], "--frequency"),
    (["--shape", "sine", "--periodic"], "--periodic"),
    (["--shape", "multitone", "--frequency", "+".join(str(100 + 10 * i) for i in range(65))],
     "at most 64 tones"),
]


def run(folder, *words):
    """Exit status, standard output and error of the command run in `folder`."""
    done = subprocess.run(EMULATOR + [PROGRAM, *words], cwd=folder, capture_output=True,
                          text=True)
    return done.returncode, done.stdout, done.stderr


def refusals(work):
    for words, named in REFUSED:
        folder = tempfile.mkdtemp(dir=work)
        output = [] if "--output" in words else ["--output", "x.wav"]
        status, out, err = run(folder, *words, *output)
        check(f"refused: {' '.join(words)[:60]}", status == 2 and not os.listdir(folder) and
              not out and named in err and len(err) < 400,
              f"exit {status}, {err.splitlines()[0] if err else 'no message'}")


def read(path):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        rate, data = wavfile.read(path)
    scale = {np.dtype("int16"): 32767, np.dtype("int32"): 2147483647}.get(data.dtype, 1)
    return rate, data.astype(np.float64) / scale


def fitted_frequency(values, rate, guess):
    """The sine whose least-squares fit leaves the smallest residue, near the guess."""
    t = np.arange(len(values)) / rate
    best = None
    for f in np.linspace(guess * 0.98, guess * 1.02, 401):
        basis = np.column_stack([np.sin(2 * np.pi * f * t), np.cos(2 * np.pi * f * t)])
        residue = np.linalg.lstsq(basis, values, rcond=None)[1]
        if residue.size and (best is None or residue[0] < best[1]):
            best = (f, residue[0])
    return best[0]


def accepted(work):
    path = os.path.join(work, "a.wav")
    status, out, _ = run(work, "--length", "25", "--rate", "8000", "--output", path)
    rate, values = read(path)
    line = json.loads(out) if status == 0 else {}
    check("25 s is 25 s", status == 0 and len(values) == 25 * rate and line["render"] == "exact",
          f"{len(values)} frames at {rate} Hz, {line.get('render')}")
    run(work, "--frequency", "5", "--length", "2", "--rate", "8000", "--format", "float32",
        "--output", path)
    rate, values = read(path)
    f = fitted_frequency(values, rate, 5)
    check("5 Hz is 5 Hz", abs(f - 5) < 0.001, f"fitted {f:.4f} Hz")
    run(work, "--amplitude", "50.7", "--format", "float32", "--frequency", "1000", "--rate",
        "48000", "--output", path)
    peak = np.max(np.abs(read(path)[1]))
    check("50.7 % is 50.7 %", abs(peak - 0.507) < 1e-6, f"peak {peak:.7f}")
    status, out, _ = run(work, "--shape", "sweep", "--frequency", "20:20000", "--rate", "48000",
                         "--samples", "48000", "--output", path)
    values = read(path)[1]
    sweep = round(json.loads(out)["sweep_length"] * 48000)
    check("a sweep fits its length", len(values) == 48000 and sweep <= 48000 and
          not np.any(values[sweep:]), f"{len(values)} frames, {sweep} of them the sweep")
    for shape in ("saw", "square", "triangle"):
        run(work, "--shape", shape, "--exact", "--frequency", "1000", "--rate", "44100",
            "--format", "float32", "--samples", "44100", "--output", path)
        dc = np.mean(read(path)[1])
        check(f"no DC in the exact {shape}", abs(dc) < 1e-7, f"mean {dc:.2e} over 1 s")
    status, out, err = run(work, "--length", "1", "--output", "/dev/null")
    check("/dev/null takes the file", status == 0 and json.loads(out)["path"] == "/dev/null",
          f"exit {status} {err.strip()}")
    fifo = os.path.join(work, "fifo")
    os.mkfifo(fifo)
    received = []
    reader = threading.Thread(target=lambda: received.append(len(open(fifo, "rb").read())))
    reader.start()
    status, _, _ = run(work, "--length", "1", "--quiet", "--output", fifo)
    reader.join()
    check("a named pipe takes the file", status == 0 and received == [88244],
          f"exit {status}, {received} bytes read from the pipe")


with tempfile.TemporaryDirectory() as work:
    refusals(work)
    accepted(work)
finish()
