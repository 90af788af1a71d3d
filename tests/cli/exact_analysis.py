#!/usr/bin/env python3
"""The exact rendering's signal quality, measured on the written files by numpy and scipy:
SINAD against each format's quantization limit, levels in dBFS (sample peak, and RMS after AES17),
seamless loops, and flat memory while streaming.

Usage: exact_analysis.py RENDER_PROGRAM [EMULATOR]"""
import os
import subprocess
import tempfile
import time
import warnings

import numpy as np
from scipy.io import wavfile

from analysis_support import EMULATOR, PROGRAM, check, finish

FULL_SCALE = {"pcm16": 2**15 - 1, "pcm24": 2**31 - 256, "pcm32": 2**31 - 1, "float32": 1.0}
BITS = {"pcm16": 16, "pcm24": 24, "pcm32": 32}


def render(folder, name, *words):
    path = os.path.join(folder, name)
    subprocess.run(EMULATOR + [PROGRAM, "--quiet", "--output", path, *words], check=True)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # scipy passes over the smpl chunk with a warning
        rate, data = wavfile.read(path)
    return rate, data


def unit(data, fmt):
    # scipy gives 24-bit samples in the top bits of 32.
    values = data.astype(np.float64) / FULL_SCALE[fmt]
    return values[:, 0] if values.ndim > 1 else values


def sinad(values, frequency, rate):
    """Signal to noise and distortion: a least-squares sine at the frequency against the rest."""
    n = np.arange(len(values))
    basis = np.column_stack([np.sin(2 * np.pi * frequency * n / rate),
                             np.cos(2 * np.pi * frequency * n / rate), np.ones(len(values))])
    coefficients, *_ = np.linalg.lstsq(basis, values, rcond=None)
    fit = basis @ coefficients
    signal = np.mean((fit - coefficients[2]) ** 2)
    return 10 * np.log10(signal / np.mean((values - fit) ** 2))


def quantization_limits(folder):
    # 997 Hz over 1 s at 48000 Hz: 48000 different sample values, so the rounding error is as
    # busy as the limit assumes.
    for fmt, floor in (("pcm16", None), ("pcm24", None), ("float32", 140.0)):
        rate, data = render(folder, f"sinad-{fmt}.wav", "--format", fmt, "--rate", "48000",
                            "--frequency", "997", "--peak", "-1", "--length", "1")
        measured = sinad(unit(data, fmt), 997, rate)
        if floor is None:
            limit = 6.02 * BITS[fmt] + 1.76 - 1
            check(f"SINAD {fmt}", abs(measured - limit) <= 0.5,
                  f"{measured:.2f} dB, limit {limit:.2f} dB")
        else:
            check(f"SINAD {fmt}", measured >= floor, f"{measured:.2f} dB, at least {floor}")
    # The README's first example: 1000 Hz at 48000 Hz repeats every 48 frames, so its rounding
    # error is fixed and may come out below the busy-signal figure; it must not come out above.
    rate, data = render(folder, "done.wav", "--rate", "48000", "--format", "pcm24",
                        "--frequency", "1000", "--peak", "-20", "--length", "10", "--loop")
    measured = sinad(unit(data, "pcm24"), 1000, rate)
    limit = 6.02 * 24 + 1.76 - 20
    check("SINAD pcm24 at -20 dBFS, 1000 Hz", measured >= limit - 0.5,
          f"{measured:.2f} dB, limit {limit:.2f} dB")
    peak = 20 * np.log10(np.max(np.abs(unit(data, "pcm24"))))
    check("peak -20 dBFS", round(peak, 2) == -20.00, f"{peak:.4f} dBFS")


def levels(folder):
    for fmt in ("pcm24", "float32"):
        for shape in ("sine", "saw", "square", "triangle"):
            for option, level in (("--peak", -6.0), ("--rms", -20.0)):
                rate, data = render(folder, "level.wav", "--format", fmt, "--shape", shape,
                                    "--frequency", "997", "--length", "2", option, str(level))
                values = unit(data, fmt)
                if option == "--peak":
                    measured = 20 * np.log10(np.max(np.abs(values)))
                else:  # AES17: a full-scale sine reads 0 dB
                    measured = 20 * np.log10(np.sqrt(2 * np.mean(values ** 2)))
                check(f"{option} {level} {shape} {fmt}", abs(measured - level) <= 0.01,
                      f"{measured:.4f} dBFS")


def loops(folder):
    # Lengths over which twice the length fits twice the cycles: the same tone, twice as long.
    for rate, frequency, length in ((44100, "997", 3.0), (192000, "997", 10.0),
                                    (96000, "1234.5", 3.6), (8000, "3000", 0.37)):
        _, once = render(folder, "once.wav", "--format", "float32", "--rate", str(rate),
                         "--frequency", frequency, "--length", str(length))
        _, twice = render(folder, "twice.wav", "--format", "float32", "--rate", str(rate),
                          "--frequency", frequency, "--length", str(2 * length))
        check(f"loop at {rate} Hz, {frequency} Hz, {length} s",
              np.array_equal(np.tile(once, 2), twice),
              "the file twice over is the file of twice the length")


def largest_resident_size(process):
    """The program's own high-water mark of resident memory, read while it runs (a child's
    rusage would count the memory of this Python process it was forked from)."""
    largest = 0
    while process.poll() is None:
        try:
            with open(f"/proc/{process.pid}/status") as status:
                for line in status:
                    if line.startswith("VmHWM:"):
                        largest = max(largest, int(line.split()[1]))
        except OSError:
            pass
        time.sleep(0.02)
    return largest / 1024


def memory(folder):
    # Two minutes of 192000 Hz stereo pcm24 (138 MB) streamed: the command's memory stays flat.
    path = os.path.join(folder, "long.wav")
    process = subprocess.Popen([PROGRAM, "--quiet", "--output", path, "--format", "pcm24",
                                "--rate", "192000", "--channels", "2", "--length", "120"])
    largest = largest_resident_size(process)
    check("memory while streaming",
          process.returncode == 0 and os.path.getsize(path) > 138e6 and 0 < largest < 64,
          f"{os.path.getsize(path)} bytes written, at most {largest:.1f} MB resident")


with tempfile.TemporaryDirectory() as folder:
    quantization_limits(folder)
    levels(folder)
    loops(folder)
    if not EMULATOR:  # under qemu the emulator's own memory is measured
        memory(folder)
finish()
