// What the render command tells: one JSON line per file written (nlohmann-json).
#pragma once

#include <string>

#include "cli/render_jobs.h"
#include "measure/sound_file_measures.h"

// One line of JSON, without its line end. Keys come in a fixed order; numbers that are not
// finite are null; texts that are not UTF-8 have their faulty bytes replaced (U+FFFD), so that
// every line stays valid JSON.
std::string JsonLine(const JobOutcome& outcome);
// The line of a file measured with --measure FILE: where it is, what it holds and what it
// measures, as a written file's "measured".
std::string MeasuredFileLine(const std::string& path, const SoundFileMeasures& file);
