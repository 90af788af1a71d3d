#!/usr/bin/env python3
"""The exact rendering's measurement signals, measured on the written files by numpy and scipy:
synchronized sweeps (harmonics deconvolved at L ln k), noise calibrated to its RMS, multitones on
exact bins, band-limited shapes without aliases, sample-exact fades, and maximum-length sequences
whose autocorrelation is an impulse.

Usage: signal_analysis.py RENDER_PROGRAM [EMULATOR]"""
import json
import os
import subprocess
import tempfile
import warnings

import numpy as np
from scipy import stats
from scipy.io import wavfile
from scipy.signal import csd, fftconvolve, hilbert, welch

from analysis_support import EMULATOR, PROGRAM, QUICK, check, finish



def render(folder, *words, sample_format="float32"):
    """The file's values as read (float32, or integer steps), its rate, and its report line."""
    path = os.path.join(folder, "signal.wav")
    done = subprocess.run(EMULATOR + [PROGRAM, "--format", sample_format, "--output", path, *words],
                          check=True, capture_output=True, text=True)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        rate, data = wavfile.read(path)
    return data.astype(np.float64), rate, json.loads(done.stdout)


def aes17_rms_db(values):
    return 10 * np.log10(2 * np.mean(values ** 2))


def read_float(path):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        return wavfile.read(path)[1].astype(np.float64)


def sweeps(folder):
    inverse_path = os.path.join(folder, "inverse.wav")
    values, rate, report = render(folder, "--shape", "sweep", "--frequency", "20:20000",
                                  "--rate", "48000", "--length", "10", "--inverse", inverse_path)
    L, lag = report["sweep_rate_l"], report["inverse_lag"]
    sweep_frames = round(report["sweep_length"] * rate)
    check("sweep synchronized, within the length", abs(20 * L - round(20 * L)) < 1e-9 and
          abs(report["sweep_length"] - L * np.log(1000)) < 1 / rate and
          len(values) == 10 * rate and sweep_frames <= len(values),
          f"L = {L} s (f1 L whole), {report['sweep_length']} s of sweep in {len(values)} frames")
    check("sweep starts and ends at 0, silence after", values[0] == 0 and
          abs(values[sweep_frames - 1]) < 1e-6 and not np.any(values[sweep_frames:]),
          f"first {values[0]}, last {values[sweep_frames - 1]}, fade-out "
          f"{report['fade_out_ms']} ms, {len(values) - sweep_frames} frames of silence")
    # The sweep through its inverse filter: an impulse at the lag, flat from a third of an octave
    # above f1 to a third of an octave below f2 (25 Hz to 15.9 kHz).
    inverse = read_float(inverse_path)
    impulse = fftconvolve(values, inverse)
    spectrum = np.abs(np.fft.rfft(impulse))
    frequencies = np.fft.rfftfreq(len(impulse), 1 / rate)
    low, high = report["inverse_band"]
    band = 20 * np.log10(spectrum[(frequencies >= 25) & (frequencies <= 15900)])
    check("inverse filter", np.argmax(np.abs(impulse)) == lag and
          np.max(np.abs(band)) <= 0.05 and abs(low - 20 * 2 ** (1 / 3)) < 1e-9 and
          abs(high - 20000 / 2 ** (1 / 3)) < 1e-6,
          f"impulse at {np.argmax(np.abs(impulse))} (lag {lag}), flat within "
          f"{band.min():+.4f} .. {band.max():+.4f} dB from 25 Hz to 15.9 kHz, band {low:.2f} to "
          f"{high:.1f} Hz")
    # A polynomial system's harmonics come out L ln k before the impulse (Novák et al., 2015):
    # where their envelope peaks (the even ones are cosines, whose own peak is off centre).
    unit = values / np.max(np.abs(values))
    response = fftconvolve(unit + 0.5 * unit ** 2 + 0.3 * unit ** 3, inverse)
    for k in (2, 3):
        expected = lag - L * np.log(k) * rate
        start = int(expected) - 4000
        envelope = np.abs(hilbert(response[start:start + 8000]))
        i = np.argmax(envelope)
        a, b, c = envelope[i - 1:i + 2]
        arrived = start + i + 0.5 * (a - c) / (a - 2 * b + c)
        check(f"sweep harmonic {k}", abs(arrived - expected) <= 1,
              f"arrives {arrived - expected:+.3f} samples from L ln {k} before the impulse")
    values, rate, report = render(folder, "--shape", "linear-sweep", "--frequency", "1000:100",
                                  "--length", "1", "--fade-out", "0")
    instantaneous = np.diff(np.unwrap(np.angle(hilbert(values)))) * rate / (2 * np.pi)
    middle = instantaneous[len(instantaneous) // 2]
    check("linear sweep falls", values[0] == 0 and abs(middle - 550) < 5,
          f"{middle:.1f} Hz half way from 1000 Hz to 100 Hz")


def noise(folder):
    for shape, level, seed in (("white", "-20", "1"), ("white", "-15", "99"),
                               ("white-uniform", "-12", "5")):
        values, rate, report = render(folder, "--shape", shape, "--rms", level, "--seed", seed,
                                      "--length", "3", "--rate", "48000")
        measured = aes17_rms_db(values)
        check(f"{shape} seed {seed} at {level} dBFS", abs(measured - float(level)) <= 0.01,
              f"{measured:.4f} dBFS")
    values, _, _ = render(folder, "--shape", "white", "--length", "10", "--rate", "48000")
    check("white noise is Gaussian", abs(stats.kurtosis(values)) < 0.05 and
          abs(stats.skew(values)) < 0.05 and abs(aes17_rms_db(values) + 20) <= 0.01,
          f"excess kurtosis {stats.kurtosis(values):.4f}, skew {stats.skew(values):.4f}, "
          f"{aes17_rms_db(values):.4f} dBFS (the default)")
    # Five minutes of |x| against the normal distribution, tails beyond 4 standard deviations
    # included: a ziggurat whose layers or tail draw wrongly is off by several sigma somewhere.
    many, _, _ = render(folder, "--shape", "white", "--length", "30" if QUICK else "300",
                        "--rate", "48000")
    edges = np.array([0, 0.5, 1, 1.5, 2, 2.5, 3, 3.3, 3.5, 3.6541, 3.8, 4.2, 8])
    counts, _ = np.histogram(np.abs(many / np.std(many)), edges)
    expected = len(many) * 2 * np.diff(stats.norm.cdf(edges))
    chi2 = stats.chisquare(counts, expected * counts.sum() / expected.sum())
    worst = np.max(np.abs(counts - expected) / np.sqrt(expected))
    check("white noise's distribution", chi2.pvalue > 0.001,
          f"chi-square p = {chi2.pvalue:.3f} over 12 ranges of |x|, the worst {worst:.2f} sigma")
    halves = np.abs(np.fft.rfft(values)) ** 2
    low, high = np.mean(halves[1000:len(halves) // 2]), np.mean(halves[len(halves) // 2:])
    check("white noise is flat", abs(10 * np.log10(low / high)) < 0.1,
          f"{10 * np.log10(low / high):.3f} dB between the lower and upper half of the band")
    other, _, _ = render(folder, "--shape", "white", "--length", "10", "--rate", "48000",
                         "--seed", "2")
    check("seeds give other noise", abs(np.corrcoef(values, other)[0, 1]) < 0.01,
          f"correlation {np.corrcoef(values, other)[0, 1]:.5f}")


def periodic_noise(folder):
    # One period of noise made in the frequency domain: every bin from 20 Hz to 20 kHz at its
    # target, flat or falling 3 dB an octave, nothing outside; the level met on the values.
    for shape, rate, length in (("pink", 48000, "60"), ("white", 44100, "10"), ("pink", 8000, "2")):
        values, _, report = render(folder, "--shape", shape, "--periodic", "--rate", str(rate),
                                   "--length", length)
        spectrum = np.abs(np.fft.rfft(values))
        frequencies = np.fft.rfftfreq(len(values), 1 / rate)
        band = (frequencies >= 20) & (frequencies <= 20000) & (frequencies < rate / 2)
        target = 1 / np.sqrt(frequencies[band]) if shape == "pink" else np.ones(band.sum())
        level = 20 * np.log10(spectrum[band] / target)
        deviation = np.max(np.abs(level - np.median(level)))
        outside = 20 * np.log10(np.max(spectrum[~band]) / np.min(spectrum[band]))
        check(f"periodic {shape} at {rate} Hz", deviation <= 0.01 and outside < -100 and
              abs(aes17_rms_db(values) + 20) <= 0.01,
              f"every bin within {deviation:.5f} dB of its target, outside {outside:.0f} dB, "
              f"{aes17_rms_db(values):.4f} dBFS, {report['crest_factor_db']:.2f} dB crest factor")
    # Third-octave bands of the 60 s pink file, those wholly between 20 Hz and 20 kHz.
    values, rate, _ = render(folder, "--shape", "pink", "--periodic", "--rate", "48000",
                             "--length", "60")
    power = np.abs(np.fft.rfft(values)) ** 2
    frequencies = np.fft.rfftfreq(len(values), 1 / rate)
    centres = 1000 * 2.0 ** (np.arange(-16, 13) / 3)  # 25 Hz to 16 kHz
    bands = [np.sum(power[(frequencies >= c / 2 ** (1 / 6)) & (frequencies < c * 2 ** (1 / 6))])
             for c in centres]
    # Pink noise has the same power in every band of constant relative width.
    spread = np.ptp(10 * np.log10(bands))
    check("pink third-octave bands", spread <= 0.2,
          f"25 Hz to 16 kHz within {spread:.3f} dB of each other")


def third_octave_levels(frequencies, power, centres):
    """dB per band of the power times the frequency, averaged over the band's bins: flat for pink."""
    levels = []
    for centre in centres:
        band = (frequencies >= centre / 2 ** (1 / 6)) & (frequencies < centre * 2 ** (1 / 6))
        levels.append(10 * np.log10(np.mean(power[band] * frequencies[band])))
    return np.array(levels)


def pink_noise(folder):
    # Pink noise that need not loop: its level met on every render, its expected spectrum 1/f.
    for level, seed, length in (("-20", "1", "3"), ("-32.5", "8", "1"), ("-14", "3", "2")):
        values, _, report = render(folder, "--shape", "pink", "--rms", level, "--seed", seed,
                                   "--length", length, "--rate", "44100")
        check(f"pink seed {seed} at {level} dBFS", abs(aes17_rms_db(values) - float(level)) <= 0.01
              and report["seed"] == int(seed), f"{aes17_rms_db(values):.4f} dBFS")
    path = os.path.join(folder, "pink.wav")
    subprocess.run(EMULATOR + [PROGRAM, "--shape", "pink", "--rms", "-20", "--length", "60",
                               "--rate", "48000", "--format", "pcm24", "--output", path],
                   check=True, capture_output=True)
    rate, data = wavfile.read(path)
    values = data.astype(np.float64) / 2 ** 31  # scipy gives 24-bit samples in 32-bit words
    centres = 1000 * 2.0 ** (np.arange(-17, 14) / 3)  # 20 Hz to 20 kHz
    frequencies, power = welch(values, fs=rate, nperseg=32768)
    spread = np.ptp(third_octave_levels(frequencies, power, centres))
    check("pink, one minute of pcm24", abs(aes17_rms_db(values) + 20) <= 0.01 and spread < 0.8,
          f"{aes17_rms_db(values):.4f} dBFS; third-octave bands within {spread:.2f} dB of each "
          "other (ideal pink noise: 0.3 to 0.8)")
    # Pink noise is the white noise of its seed through the pink filter: the filter's power,
    # cross-spectrum over spectrum, falls 3.01 dB an octave within 0.05 dB over the band.
    for rate in (44100, 96000) if QUICK else (44100, 48000, 96000, 192000):
        white, pink = (render(folder, "--shape", shape, "--seed", "5", "--rate", str(rate),
                              "--length", "8")[0] for shape in ("white", "pink"))
        segment = 1 << 16 if rate < 96000 else 1 << 17
        filter_frequencies, cross = csd(white, pink, fs=rate, nperseg=segment)
        power = np.abs(cross / welch(white, fs=rate, nperseg=segment)[1]) ** 2
        levels = third_octave_levels(filter_frequencies, power, centres)
        deviation = np.ptp(levels) / 2
        band = (filter_frequencies >= 20) & (filter_frequencies <= 20000)
        slope = np.polyfit(np.log2(filter_frequencies[band]), 10 * np.log10(power[band]), 1)[0]
        check(f"pink filter at {rate} Hz", deviation <= 0.05 and abs(slope + 3.0103) < 0.005,
              f"20 Hz to 20 kHz within ±{deviation:.4f} dB, {slope:.4f} dB an octave")
    # The noise itself, sixteen seeds averaged: its band powers scatter as a Gaussian noise's do
    # (about 0.08 dB in the 20 Hz band, a few bins wide, for this much noise), so each band is
    # held within 0.25 dB of the 1/f line and the slope within 0.01 dB an octave.
    if QUICK:
        return
    averaged = np.mean([welch(render(folder, "--shape", "pink", "--seed", str(seed), "--length",
                                     "30", "--rate", "48000")[0], fs=48000, nperseg=32768)[1]
                        for seed in range(1, 17)], axis=0)
    levels = third_octave_levels(frequencies, averaged, centres)
    deviation = np.max(np.abs(levels - np.median(levels)))
    band = (frequencies >= 20) & (frequencies <= 20000)
    slope = np.polyfit(np.log2(frequencies[band]), 10 * np.log10(averaged[band]), 1)[0]
    check("pink's expected spectrum", deviation <= 0.25 and abs(slope + 3.0103) < 0.01,
          f"20 Hz to 20 kHz, every third-octave band within {deviation:.3f} dB of 1/f, "
          f"{slope:.4f} dB an octave")


def multitones(folder):
    values, rate, report = render(folder, "--shape", "multitone", "--frequency",
                                  "100+1000+10000+997+5003", "--length", "1", "--rate", "48000")
    spectrum = np.abs(np.fft.rfft(values)) / len(values) * 2
    bins = [round(f * len(values) / rate) for f in report["tones"]]
    others = np.delete(spectrum, bins)
    equal = np.ptp(20 * np.log10(spectrum[bins]))
    check("multitone on exact bins", equal < 0.001 and
          20 * np.log10(np.max(others) / np.min(spectrum[bins])) < -120,
          f"tones {report['tones']} within {equal:.5f} dB, the rest "
          f"{20 * np.log10(np.max(others) / np.min(spectrum[bins])):.1f} dB below")
    crest = 20 * np.log10(np.max(np.abs(values)) / np.sqrt(np.mean(values ** 2)))
    check("multitone crest factor reported", abs(crest - report["crest_factor_db"]) < 0.01,
          f"{crest:.2f} dB measured, {report['crest_factor_db']:.2f} dB reported")
    peak = 20 * np.log10(np.max(np.abs(values)))
    check("multitone peak", abs(peak - 20 * np.log10(0.9)) < 0.001, f"{peak:.4f} dBFS (90 %)")


def harmonic_multitone(folder):
    # Ten harmonics of 100 Hz, where phases decide the crest factor: in phase they would peak
    # at sqrt(20) (13 dB); Schroeder's phases, computed here, keep them near 5 dB.
    text = "+".join(str(100 * h) for h in range(1, 11))
    values, rate, report = render(folder, "--shape", "multitone", "--frequency", text,
                                  "--length", "1", "--rate", "48000")
    n = np.arange(len(values))
    schroeder = sum(np.sin(2 * np.pi * 100 * i * n / rate - np.pi * i * (i - 1) / 10)
                    for i in range(1, 11))
    reference = 20 * np.log10(np.max(np.abs(schroeder)) / np.sqrt(np.mean(schroeder ** 2)))
    crest = 20 * np.log10(np.max(np.abs(values)) / np.sqrt(np.mean(values ** 2)))
    check("multitone crest factor, Schroeder's or better", crest <= reference + 0.01,
          f"{crest:.2f} dB, Schroeder's phases {reference:.2f} dB")


def bandlimited(folder):
    for shape in ("square", "saw", "triangle"):
        values, rate, report = render(folder, "--shape", shape, "--bandlimited", "--frequency",
                                      "997", "--length", "1", "--rate", "48000")
        power = np.abs(np.fft.rfft(values)) ** 2
        harmonics = np.arange(997, len(power), 997)
        away = np.delete(power, harmonics)
        below = 10 * np.log10(np.sum(away) / power[997])
        check(f"band-limited {shape}", below <= -120 and harmonics[-1] <= 24000,
              f"energy away from the harmonics {below:.1f} dB below the fundamental, "
              f"{report['harmonics']} harmonics")


def low_levels(folder):
    """Within a few dozen steps of silence, rounding and dither add power of their own: the level
    must still hold on the integer samples as written."""
    for words in (("--shape", "white", "--rms", "-80"), ("--shape", "pink", "--rms", "-90"),
                  ("--shape", "white", "--rms", "-70", "--dither", "tpdf", "--channels", "2"),
                  ("--shape", "white-uniform", "--rms", "-85"),
                  ("--shape", "pink", "--rms", "-88", "--periodic")):
        steps, _, _ = render(folder, "--length", "2", *words, sample_format="pcm16")
        measured = aes17_rms_db(steps / 32768)
        check(f"pcm16 {' '.join(words)}", abs(measured - float(words[3])) <= 0.01,
              f"{measured:.4f} dBFS")


def fades(folder):
    values, rate, _ = render(folder, "--shape", "sine", "--frequency", "1000", "--rate", "48000",
                             "--peak", "0", "--length", "1", "--fade-in", "10", "--fade-out", "5")
    ramp_in = np.sin(np.pi / 2 * np.arange(480) / 479) ** 2
    tone = np.sin(2 * np.pi * 1000 * np.arange(480) / 48000)
    error = np.max(np.abs(values[:480] - (ramp_in * tone).astype(np.float32)))
    check("fade-in", values[0] == 0 and error < 1e-6, f"first 480 frames within {error:.2e}")
    check("fade-out", values[-1] == 0 and abs(values[-241]) > 0, "240 frames, the last 0")


def maximum_length_sequence(folder):
    # Two periods of order 16 at -6 dBFS in float32: each period's circular autocorrelation (numpy's
    # FFT) is P at lag 0 and -1 at every other lag.
    values, _, report = render(folder, "--shape", "mls", "--order", "16", "--cycles", "2",
                               "--rate", "48000", "--peak", "-6")
    period = 2 ** 16 - 1
    signs = np.sign(values)
    spectrum = np.fft.rfft(signs[:period])
    correlation = np.rint(np.fft.irfft(np.abs(spectrum) ** 2, period)).astype(np.int64)
    peak = 20 * np.log10(np.max(np.abs(values)))
    check("MLS of order 16", len(values) == 2 * period and np.array_equal(values[:period],
          values[period:]) and correlation[0] == period and np.all(correlation[1:] == -1) and
          abs(peak + 6) < 1e-5 and np.all(np.abs(values) == np.max(np.abs(values))) and
          report["period"] == period and report["order"] == 16,
          f"{len(values)} frames, autocorrelation {correlation[0]} at lag 0 and "
          f"{sorted(set(correlation[1:].tolist()))} elsewhere, peak {peak:.6f} dBFS")


with tempfile.TemporaryDirectory() as folder:
    maximum_length_sequence(folder)
    sweeps(folder)
    noise(folder)
    periodic_noise(folder)
    pink_noise(folder)
    multitones(folder)
    harmonic_multitone(folder)
    bandlimited(folder)
    low_levels(folder)
    fades(folder)
finish()
