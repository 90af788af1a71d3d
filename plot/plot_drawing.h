// The picture of a file, drawn with Cairo: a PNG of 1200 x 800 pixels with the waveform's first
// periods (a sweep: its envelope), the magnitude spectrum in dBFS over a logarithmic frequency
// axis from 10 Hz to half the rate (gridlines a decade apart darker than those between), and a
// sweep's deconvolved response over its band. The same data gives the same bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "plot/plot_collector.h"

constexpr int kPlotWidth = 1200;
constexpr int kPlotHeight = 800;

// The PNG file's bytes; empty if Cairo could not make them.
std::vector<std::uint8_t> DrawPlot(const PlotData& data);
