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

// `frequencyText` is the shape's own, read and checked by the request ("" for a shape without).
ExactSignal PlanExactSignal(const RenderRequest& request, const ShapeRow& shape,
                            const std::string& frequencyText);
