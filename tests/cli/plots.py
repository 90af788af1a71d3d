#!/usr/bin/env python3
"""--plot's pictures read back by tools nobody here wrote: a PNG of 1200 x 800 (its signature and
header), the same bytes when drawn twice; ImageMagick's pixels show a 1 kHz tone's spectral peak
on the 1 kHz gridline (the second of the darker decade lines: 100 Hz, 1 kHz, 10 kHz), and a
sweep's deconvolved response on its 0 dB line within 0.05 dB and its spectrum a straight line;
a picture alone writes no sound;
a picture may not share its file, nor be standard output.

Usage: plots.py RENDER_PROGRAM [EMULATOR]"""
import json
import os
import subprocess
import tempfile

import numpy as np

from analysis_support import EMULATOR, PROGRAM, check, finish

SPECTRUM = np.array([31, 120, 181])  # the spectrum's colour, as the program draws it
RESPONSE = np.array([43, 161, 43])   # the deconvolved response's
DECADE = 153                          # the decade gridlines' grey
FRAME = (25, 25, 25)                  # the panels' frames
PANEL_DB = 2                          # the response panel spans -1 to +1 dB


def render(*words):
    done = subprocess.run(EMULATOR + [PROGRAM, *words], check=True, capture_output=True,
                          text=True)
    return json.loads(done.stdout)


def pixels(path):
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                         capture_output=True).stdout
    return np.frombuffer(raw, dtype=np.uint8).reshape(800, 1200, 3).astype(int)


def near(image, colour, within=12):
    return np.all(np.abs(image - colour) <= within, axis=2)


def png_header(path):
    with open(path, "rb") as file:
        data = file.read()
    width, height = (int.from_bytes(data[16 + 4 * i:20 + 4 * i], "big") for i in range(2))
    return data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR", width, height, data


def tone(folder):
    picture, sound = os.path.join(folder, "tone.png"), os.path.join(folder, "tone.wav")
    words = ["--frequency", "1000", "--exact", "--rate", "48000", "--length", "2", "--format",
             "pcm24", "--plot", picture, "--output", sound]
    report = render(*words)
    is_png, width, height, first = png_header(picture)
    render(*words)
    second = png_header(picture)[3]
    check("a PNG of 1200 x 800, the same bytes twice",
          is_png and (width, height) == (1200, 800) and first == second and
          report["plot"] == picture, f"{width} x {height}, {len(first)} bytes")
    image = pixels(picture)
    lower = image[420:790]  # the spectrum, the lower of two panels
    rows, columns = np.nonzero(near(lower, SPECTRUM))
    peak = columns[np.argmin(rows)]
    grey = np.all(lower == DECADE, axis=2).sum(axis=0)
    decades = np.nonzero(grey > 100)[0]
    check("the 1 kHz tone peaks on the 1 kHz gridline",
          len(decades) == 3 and abs(peak - decades[1]) <= 2,
          f"peak at x = {peak}, decade lines at {list(decades)}")


def sweep(folder):
    picture = os.path.join(folder, "sweep.png")
    report = render("--shape", "sweep", "--frequency", "20:20000", "--rate", "48000", "--length",
                    "5", "--inverse", os.path.join(folder, "inv.wav"), "--plot", picture,
                    "--output", os.path.join(folder, "sweep.wav"))
    image = pixels(picture)
    rows, columns = np.nonzero(near(image, RESPONSE, 20))
    # The third panel's frame, above and below: 0 dB half way, 1 dB either side.
    frame = np.nonzero(np.all(image[500:, 600] == FRAME, axis=1))[0] + 500
    zero, per_db = (frame.min() + frame.max()) / 2, (frame.max() - frame.min()) / PANEL_DB
    spread = max(abs(rows.min() - zero), abs(rows.max() - zero)) / per_db
    check("the sweep's deconvolved response drawn flat",
          report["plot"] == picture and len(set(columns)) > 800 and len(frame) == 2 and
          spread < 0.05,
          f"{len(set(columns))} columns of it, within {spread:.3f} dB of its 0 dB line")
    # Its spectrum, the middle panel, falls 3 dB an octave with no ripple of the analysis's own:
    # from 200 Hz to 10 kHz the curve's top keeps to a straight line within two pixel rows.
    middle = image[290:490]
    grey = np.all(middle == DECADE, axis=2).sum(axis=0)
    decades = np.nonzero(grey > 100)[0]
    per_decade = (decades[-1] - decades[0]) / (len(decades) - 1)
    span = np.arange(round(decades[0] + np.log10(2) * per_decade), decades[-1])
    curve = near(middle[:, span], SPECTRUM)
    drawn = curve.any(axis=0)  # a gridline may hide it in a column
    span = span[drawn]
    top = np.array([np.nonzero(column)[0].min() for column in curve[:, drawn].T])
    line = np.polyval(np.polyfit(span, top, 1), span)
    check("the sweep's spectrum drawn smooth", np.max(np.abs(top - line)) <= 2,
          f"within {np.max(np.abs(top - line)):.1f} pixel rows of a line from 200 Hz to 10 kHz")


def alone(folder):
    picture = os.path.join(folder, "alone.png")
    report = render("--shape", "pink", "--length", "1", "--plot", picture)
    check("a picture alone", report["path"] is None and report["plot"] == picture and
          png_header(picture)[0] and os.listdir(folder).count("alone.png") == 1,
          f"{sorted(os.listdir(folder))}")


def silence(folder):
    # Nothing to draw: no curve at -300 dB on an axis moved down to meet it.
    picture = os.path.join(folder, "silence.png")
    render("--amplitude", "0", "--length", "0.1", "--plot", picture)
    curve = near(pixels(picture)[420:790], SPECTRUM).sum()
    check("silence draws no spectrum", curve == 0, f"{curve} pixels of the spectrum's colour")


def refusals(folder):
    same = os.path.join(folder, "same")
    for words, said in ((["--plot", same, "--output", same], "--plot and --output name the same"),
                        (["--frequency", "100,200", "--plot", same + ".png"],
                         "to the same file"),
                        (["--plot", "-"], "give it a name")):
        done = subprocess.run(EMULATOR + [PROGRAM, *words], capture_output=True, text=True)
        check(f"refused: {' '.join(words)}", done.returncode == 2 and said in done.stderr and
              not os.listdir(folder), done.stderr.splitlines()[0])


with tempfile.TemporaryDirectory() as folder:
    refusals(folder)
with tempfile.TemporaryDirectory() as folder:
    tone(folder)
    sweep(folder)
with tempfile.TemporaryDirectory() as folder:
    alone(folder)
    silence(folder)
finish()
