#!/usr/bin/env python3
"""The file types against tools nobody here wrote: each FLAC file passes `flac -t`, decodes (flac's
own decoder, raw) to the very samples of the WAV of the same request, carries the MD5 of those
samples in its STREAMINFO (hashlib's), and --measure's SHA-256 of it is hashlib's; to standard
output it decodes the same, with the MD5 left unknown as a stream must.

Usage: file_types.py RENDER_PROGRAM [EMULATOR]"""
import hashlib
import json
import os
import subprocess
import tempfile

from analysis_support import EMULATOR, PROGRAM, check, finish


def render(*words, stdout=None):
    return subprocess.run(EMULATOR + [PROGRAM, *words], check=True, stdout=stdout or
                          subprocess.PIPE, stderr=subprocess.PIPE).stdout


def wav_samples(path):
    """The bytes of the data chunk, walking the RIFF (or RF64) chunks."""
    with open(path, "rb") as file:
        data = file.read()
    at = 12
    while at < len(data):
        size = int.from_bytes(data[at + 4:at + 8], "little")
        if data[at:at + 4] == b"data":
            return data[at + 8:at + 8 + size]
        at += 8 + size + size % 2
    raise ValueError(f"{path} has no data chunk")


def flac_samples(path):
    return subprocess.run(["flac", "-d", "-c", "-s", "--force-raw-format", "--endian=little",
                           "--sign=signed", path], check=True, capture_output=True).stdout


def streaminfo_md5(path):
    return subprocess.run(["metaflac", "--show-md5sum", path], check=True, capture_output=True,
                          text=True).stdout.strip()


def flac_cases(folder):
    cases = (("pcm24 tone, the issue's", ["--exact", "--frequency", "1000", "--rate", "48000",
                                          "--format", "pcm24", "--peak", "-20", "--length", "2"]),
             ("the window's square, stereo", ["--shape", "square", "--channels", "2"]),
             ("pcm32 noise, 6 channels", ["--shape", "pink", "--format", "pcm32", "--channels", "6",
                                          "--rate", "96000", "--length", "0.5"]),
             ("pcm16 multitone at 8000 Hz", ["--shape", "multitone", "--frequency", "100+1000",
                                             "--rate", "8000", "--length", "1"]))
    for name, words in cases:
        wav, flac = os.path.join(folder, "same.wav"), os.path.join(folder, "same.flac")
        render(*words, "--output", wav)
        line = json.loads(render(*words, "--measure", "--output", flac))
        tested = subprocess.run(["flac", "-t", "-s", flac], capture_output=True)
        samples = wav_samples(wav)
        with open(flac, "rb") as file:
            digest = hashlib.sha256(file.read()).hexdigest()
        check(f"FLAC, {name}", tested.returncode == 0 and flac_samples(flac) == samples and
              streaminfo_md5(flac) == hashlib.md5(samples).hexdigest() and
              line["measured"]["sha256"] == digest and line["type"] == "flac" and
              line["file_bytes"] == os.path.getsize(flac),
              f"flac -t {tested.returncode}, {len(samples)} bytes of samples as the WAV's, "
              f"MD5 {streaminfo_md5(flac)}, {os.path.getsize(flac)} bytes")


def flac_to_standard_output(folder):
    words = ["--shape", "white", "--rate", "48000", "--format", "pcm24", "--length", "1"]
    wav, piped = os.path.join(folder, "piped.wav"), os.path.join(folder, "piped.flac")
    render(*words, "--output", wav)
    with open(piped, "wb") as file:
        render(*words, "--type", "flac", "--output", "-", stdout=file)
    tested = subprocess.run(["flac", "-t", "-s", piped], capture_output=True)
    check("FLAC to standard output", tested.returncode == 0 and
          flac_samples(piped) == wav_samples(wav) and streaminfo_md5(piped) == "0" * 32,
          f"flac -t {tested.returncode}, MD5 {streaminfo_md5(piped)} (unknown in a stream)")


with tempfile.TemporaryDirectory() as work:
    flac_cases(work)
    flac_to_standard_output(work)
finish()
