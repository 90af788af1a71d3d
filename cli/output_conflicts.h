// Two names for one file: the same path spelled differently, links to one name, or hard links to
// one existing file; standard output or an inverse filter asked of several files.
#pragma once

#include <string>
#include <vector>

#include "cli/render_plan.h"

// "" when every file of the plan has a place of its own.
std::string OutputConflictFault(const std::vector<RenderJob>& jobs, const std::string& inversePath);
// "" when every picture has a place of its own, apart from every file written.
std::string PlotConflictFault(const std::vector<RenderJob>& jobs, const std::string& inversePath);
