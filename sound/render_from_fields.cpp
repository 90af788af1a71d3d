// Rendering driven by what the window shows: the fields are read as text at the moment of render.
#include "sound/rendering_commands.h"

#include "app/program_references.h"

namespace {

bool RenderingArmed() { return RenderMarker != 0 && RenderMarker == RenderButton; }

}  // namespace

void ClearWavBuffer() { EmptyWavBlock(MainWavBuffer); }

void RenderFromFields() {
  ClearWavBuffer();
  const float frequency = ReadDecimalText(ControlText(FrequencyField));
  const std::int64_t amplitude = ReadIntegerText(ControlText(AmplitudeValueField));
  const float length = ReadDecimalText(ControlText(LengthValueField));
  const int shape = ListSelection(ShapeList) + kFirstShapeCode;
  const RenderOutcome outcome = RenderShape(MainWavBuffer, frequency, amplitude, length, shape);
  if (outcome.frequencyClamped) SetControlText(FrequencyField, outcome.fieldText);
}

void Rerender() {
  if (RenderingArmed()) {
    RenderFromFields();
  } else {
    ClearWavBuffer();
  }
}
