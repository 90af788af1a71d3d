// One file of the exact rendering: its shape's generator planned from the request, at the level
// asked for, with its fades, encoded as the request says.
#pragma once

#include <string>

#include "cli/render_request.h"
#include "encode/sample_encoding.h"
#include "signals/shape_table.h"

struct ExactSignal {
  SignalPlan signal;  // unit values, fades applied
  SampleEncoding encoding;
  std::string fault;  // not empty: refused, nothing is written
};

// `frequency` is a tone's, read from `frequencyText` as the window reads its field and clamped.
ExactSignal PlanExactSignal(const RenderRequest& request, const ShapeRow& shape,
                            const std::string& frequencyText, float frequency);
// "--periodic applies to white and pink, not to sine": the first option given that the shape does
// not take; "" when it takes them all.
std::string UntakenOptionFault(const RenderRequest& request, const ShapeRow& shape);
