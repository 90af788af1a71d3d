#!/usr/bin/env python3
"""--measure's figures against tools nobody here wrote: EBU Tech 3341's stereo sines for loudness,
sox stats for sample peak, RMS and DC offset, hashlib for SHA-256, scipy's 4x oversampling for
true peak; files written by sox, measured by name; silence gives null, and every line is JSON
that Python's parser accepts.

Usage: measure_analysis.py RENDER_PROGRAM [EMULATOR]"""
import hashlib
import json
import os
import re
import subprocess
import tempfile
import warnings

import numpy as np
from scipy.io import wavfile
from scipy.signal import resample_poly

from analysis_support import EMULATOR, PROGRAM, QUICK, check, failures, finish



def measured(path, *words):
    done = subprocess.run(EMULATOR + [PROGRAM, "--measure", "--output", path, *words],
                          check=True, capture_output=True, text=True)
    # Python's parser refuses NaN and Infinity when told to: the line must be strict JSON.
    return json.loads(done.stdout, parse_constant=lambda name: failures.append(name))["measured"]


def sox_stats(path):
    text = subprocess.run(["sox", path, "-n", "stats"], check=True, capture_output=True,
                          text=True).stderr
    def overall(label):
        return float(re.search(rf"^{label}\s+(\S+)", text, re.M).group(1))
    return overall("DC offset"), overall("Pk lev dB"), overall("RMS lev dB")


def as_sox_prints(m, plain_rms, dc, peak, rms):
    # sox prints two decimals of a level and six of DC: ours must read the same within one in
    # the last digit (a figure on a rounding edge may print either way).
    return (abs(m["sample_peak_dbfs"] - peak) <= 0.01 and abs(plain_rms - rms) <= 0.01 and
            abs(m["dc_offset"] - dc) <= 1e-6)


def tech_3341(folder):
    # Its cases 1 and 2: 20 s of a 1000 Hz stereo sine at -23 and at -33 dBFS read -23.0 and
    # -33.0 LUFS, within 0.1 LU (5 s in the quick form: a steady tone reads the same).
    for level in (-23, -33):
        path = os.path.join(folder, f"tech3341_{-level}.wav")
        m = measured(path, "--shape", "sine", "--frequency", "1000", "--channels", "2", "--peak",
                     str(level), "--length", "5" if QUICK else "20", "--format", "pcm24",
                     "--rate", "48000")
        with open(path, "rb") as file:
            digest = hashlib.sha256(file.read()).hexdigest()
        dc, peak, _ = sox_stats(path)
        check(f"EBU Tech 3341, {level} dBFS", abs(m["loudness_lufs"] - level) <= 0.1 and
              round(m["sample_peak_dbfs"], 2) == peak == level and m["dc_offset"] == dc == 0 and
              m["sha256"] == digest,
              f"{m['loudness_lufs']:.3f} LUFS, sample peak {m['sample_peak_dbfs']:.4f} dBFS "
              f"(sox {peak:.2f}), DC {m['dc_offset']}, SHA-256 as hashlib's")


def levels_against_sox(folder):
    cases = (("997 Hz at -20 dBFS", ["--frequency", "997", "--peak", "-20", "--exact",
                                     "--length", "10"]),
             ("the window's 997 Hz", ["--frequency", "997", "--length", "3"]),
             ("white noise, float32", ["--shape", "white", "--rms", "-18", "--format", "float32",
                                       "--length", "5", "--rate", "96000"]),
             ("a dithered saw, pcm16", ["--shape", "saw", "--frequency", "50", "--exact",
                                        "--dither", "tpdf", "--amplitude", "3", "--length", "2"]))
    for name, words in cases:
        path = os.path.join(folder, "levels.wav")
        m = measured(path, *words)
        dc, peak, rms = sox_stats(path)
        plain_rms = m["rms_dbfs"] - 10 * np.log10(2)  # sox's RMS is not AES17's
        check(f"levels of {name}", as_sox_prints(m, plain_rms, dc, peak, rms),
              f"peak {m['sample_peak_dbfs']:.3f} (sox {peak}), RMS {plain_rms:.3f} (sox {rms}), "
              f"DC {m['dc_offset']:.7f} (sox {dc})")
    m = measured(os.path.join(folder, "aes17.wav"), "--frequency", "997", "--peak", "-20",
                 "--exact", "--format", "pcm24", "--length", "10", "--rate", "48000")
    check("AES17 RMS and crest factor of a sine", round(m["rms_dbfs"], 2) == -20.0 and
          round(m["crest_factor_db"], 2) == 3.01,
          f"{m['rms_dbfs']:.4f} dBFS RMS, crest factor {m['crest_factor_db']:.4f} dB")


# BS.1770-4 Annex 2, table 1: the interpolating filter's four phases, in 1/8192.
ANNEX_2_PHASES = np.array([
    [14, 90, -161, 272, -487, 1125, 7964, -838, 390, -218, 122, -68],
    [-239, 240, -424, 730, -1364, 3810, 6388, -1641, 832, -477, 271, -155],
    [-155, 271, -477, 832, -1641, 6388, 3810, -1364, 730, -424, 240, -239],
    [-68, 122, -218, 390, -838, 7964, 1125, -487, 272, -161, 90, 14]]) / 8192


def annex_2_ripple(low, high, rate):
    """How far above 0 dB the Annex's phases reach over the band: what they may read over."""
    frequencies = np.linspace(low, high, 2000) / rate
    gains = np.abs(np.exp(-2j * np.pi * np.outer(frequencies, np.arange(12))) @ ANNEX_2_PHASES.T)
    return max(0.0, 20 * np.log10(np.max(gains)))


def true_peak(folder):
    # scipy's polyphase 4x oversampling sees what lies between the samples. The Annex's short
    # filter is not as flat: its phases lie 0.24 dB under at low frequencies and up to 0.22 dB
    # over on their ripple, so it reads within that of scipy, and within 0.1 dB on five seconds of
    # white noise at -20 dBFS RMS (where libebur128 read the sample peak, 0.11 dB under).
    cases = (("white noise, -20 dBFS RMS", ["--shape", "white", "--length", "5"], None, None),
             ("white noise, seed 3", ["--shape", "white", "--length", "5", "--seed", "3"], 20,
              20000),
             ("pink noise", ["--shape", "pink", "--length", "5", "--seed", "3"], 20, 20000),
             ("997 Hz at -1 dBFS", ["--frequency", "997", "--peak", "-1", "--length", "1"],
              997, 997),
             ("sweep 5 kHz to 20 kHz", ["--shape", "sweep", "--frequency", "5000:20000", "--peak",
                                        "-1", "--length", "3"], 5000, 20000))
    for name, words, low, high in cases:
        path = os.path.join(folder, "true_peak.wav")
        m = measured(path, *words, "--format", "float32", "--rate", "48000")
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            values = wavfile.read(path)[1].astype(np.float64)
        oversampled = 20 * np.log10(np.max(np.abs(resample_poly(values, 4, 1))))
        over = m["true_peak_dbtp"] - oversampled
        under, above = (0.1, 0.1) if low is None else (
            0.25, max(0.1, annex_2_ripple(low, high, 48000) + 0.02))
        check(f"true peak of {name}", m["true_peak_dbtp"] >= m["sample_peak_dbfs"] and
              -under <= over <= above,
              f"{m['true_peak_dbtp']:.3f} dBTP (scipy, 4x: {oversampled:.3f}; {over:+.3f}, "
              f"allowed {-under} to {above:+.3f}), sample peak {m['sample_peak_dbfs']:.3f} dBFS")


def measured_files(folder):
    # Files from elsewhere, named after --measure: the figures sox stats and sha256sum give, the
    # file's own description, and a written file reads as its own --measure line said.
    made = {"tone.wav": (["-r", "48000", "-b", "24"], ["sine", "1000", "vol", "0.5"], 2),
            "noise.flac": (["-r", "44100", "-b", "16", "-c", "2"], ["pinknoise", "vol", "0.3"], 1),
            "float.wav": (["-r", "96000", "-e", "floating-point", "-b", "32"],
                          ["whitenoise", "vol", "0.2", "dcshift", "0.01"], 1)}
    paths = []
    for name, (form, signal, seconds) in made.items():
        paths.append(os.path.join(folder, name))
        subprocess.run(["sox", "-R", "-n", *form, paths[-1], "synth", str(seconds), *signal],
                       check=True, capture_output=True)
    written = os.path.join(folder, "written.wav")
    inline = measured(written, "--shape", "white", "--format", "pcm24", "--length", "1")
    missing, pipe = os.path.join(folder, "missing.wav"), os.path.join(folder, "pipe")
    os.mkfifo(pipe)  # nobody writes to it: opening it to read must not wait
    done = subprocess.run(EMULATOR + [PROGRAM, "--measure", paths[0], missing, pipe, "/dev/null",
                                      *paths[1:], written], capture_output=True, text=True,
                          timeout=120)
    lines = [json.loads(line) for line in done.stdout.splitlines()]
    told = (f"Could not measure {missing}: No such file or directory\n"
            f"Could not measure {pipe}: it is a named pipe, not a regular file\n"
            "Could not measure /dev/null: it is a character device, not a regular file\n")
    check("--measure FILE: unreadable files told, the others measured",
          done.returncode == 1 and len(lines) == 4 and done.stderr == told,
          f"exit {done.returncode}, {len(lines)} lines, {done.stderr.strip()!r}")
    expected = (("wav", "pcm24", 48000, 1, 96000), ("flac", "pcm16", 44100, 2, 44100),
                ("wav", "float32", 96000, 1, 96000))
    for path, line, (kind, form, rate, channels, frames) in zip(paths, lines, expected):
        m = line["measured"]
        dc, peak, rms = sox_stats(path)
        with open(path, "rb") as file:
            digest = hashlib.sha256(file.read()).hexdigest()
        plain_rms = m["rms_dbfs"] - 10 * np.log10(2)
        check(f"--measure {os.path.basename(path)}",
              (line["type"], line["format"], line["rate"], line["channels"], line["frames"]) ==
              (kind, form, rate, channels, frames) and as_sox_prints(m, plain_rms, dc, peak, rms) and
              m["sha256"] == digest and m["true_peak_dbtp"] >= m["sample_peak_dbfs"],
              f"{line['type']} {line['format']} {line['rate']} Hz x{line['channels']}, peak "
              f"{m['sample_peak_dbfs']:.3f} (sox {peak}), RMS {plain_rms:.3f} (sox {rms}), DC "
              f"{m['dc_offset']:.6f} (sox {dc}), SHA-256 as hashlib's")
    check("--measure of a written file: its own line's figures", lines[3]["measured"] == inline,
          f"{lines[3]['measured']['loudness_lufs']:.4f} LUFS both")
    for words, said in ((["--measure", "--shape", "sine", paths[0]], "it takes no --shape"),
                        ([paths[0]], "files to measure are named after --measure")):
        refused = subprocess.run(EMULATOR + [PROGRAM, *words], capture_output=True, text=True)
        check(f"refused: {' '.join(words[:-1] or ['a file alone'])}",
              refused.returncode == 2 and said in refused.stderr and refused.stdout == "",
              refused.stderr.splitlines()[0])


def silence(folder):
    m = measured(os.path.join(folder, "silence.wav"), "--amplitude", "0", "--length", "1")
    nulls = [key for key in ("sample_peak_dbfs", "true_peak_dbtp", "rms_dbfs", "crest_factor_db",
                             "loudness_lufs") if m[key] is None]
    check("silence", len(nulls) == 5 and m["dc_offset"] == 0, f"null: {', '.join(nulls)}")


with tempfile.TemporaryDirectory() as folder:
    tech_3341(folder)
    levels_against_sox(folder)
    true_peak(folder)
    measured_files(folder)
    silence(folder)
finish()
