// The gain that brings a signal's unit values to the level asked for, in the encoding's terms,
// and the words for a level that cannot be met.
#pragma once

#include <string>

#include "cli/render_request.h"
#include "encode/written_level.h"
#include "signals/shape_table.h"

// Whether the level is an RMS level: --rms, or none asked for where the signal's default is one.
bool LevelIsRms(const LevelRequest& level, const SignalPlan& signal);
// The gain for the signal's levels (--peak, --rms, else --amplitude, else its default RMS); a
// fault naming the crest factor when the peak would pass full scale.
std::string GainForLevel(const LevelRequest& level, const SignalPlan& signal,
                         const std::string& shapeName, double& gain);
// The RMS level in dBFS that `level` asks of the signal.
double RmsDecibels(const LevelRequest& level, const SignalPlan& signal);
// A level whose every sample would round to 0 in the format, refused; `peak` is the largest value
// in full scale. Silence asked for (0 %) and dithered files are let through.
std::string SilentLevelFault(const RenderRequest& request, double peak);
// "" when the level was met as written, else why not and what to do.
std::string WrittenLevelFault(const WrittenLevel& written, double rmsDecibels, SampleFormat format);
