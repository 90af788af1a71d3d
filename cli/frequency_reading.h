// The frequencies one text of --frequency gives a shape: one for a tone, F1:F2 for a sweep,
// F+F+... for a multitone; each a plain number, or a refusal that quotes the text.
#pragma once

#include <string>
#include <vector>

#include "signals/shape_table.h"

struct FrequencyReading {
  std::vector<double> values;
  std::string fault;
};

FrequencyReading ReadFrequencies(const ShapeRow& shape, const std::string& text);
