// Noise made in the frequency domain over exactly one period, the file's length: every bin in
// the band has the target magnitude (flat, or falling 3 dB an octave for pink) and a phase from
// a counter-based generator; outside the band, nothing. Such a file loops without a seam.
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <vector>

enum class NoiseSpectrum { kFlat, kPink };

// Bin k's magnitude in that spectrum for 0 < k < frames / 2, and 0 outside [low, high] Hz.
std::vector<double> NoiseBinMagnitudes(NoiseSpectrum spectrum, std::size_t frames, double rate,
                                       double low, double high);
// Bins of those magnitudes with phases from the seed, conjugate-symmetric, so that their inverse
// transform is real, into `bins`, whose size is the period's frames.
void FillNoiseBins(const std::vector<double>& magnitudes, std::uint64_t seed,
                   std::vector<std::complex<double>>& bins);
// The period's values, from the inverse transform of that spectrum (any scale: the caller sets
// the level from the values).
std::vector<double> PeriodicNoise(NoiseSpectrum spectrum, std::uint64_t seed, std::size_t frames,
                                  double rate, double low, double high);
// The largest prime factor of n (n > 0): the transform's cost grows with it.
std::uint64_t LargestPrimeFactor(std::uint64_t n);
