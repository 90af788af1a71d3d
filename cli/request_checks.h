// What the request asks of its values together: frequencies that every shape can read, options
// that some shape takes, and whether the window's rendering can make the files.
#pragma once

#include "cli/render_options.h"
#include "cli/render_request.h"

// Decides `request.exact`; "" when the request holds together, else its refusal.
std::string CheckRequest(const RenderOptions& options, RenderRequest& request);
