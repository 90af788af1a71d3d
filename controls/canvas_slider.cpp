// The length and amplitude sliders: a ground and a thumb that the program paints on a canvas.
#include "controls/canvas_slider.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "app/program_references.h"

int SliderValue = 0;

namespace {

constexpr int kBorderPerSide = 2;
constexpr int kBorderTotal = 2 * kBorderPerSide;
constexpr int kMinimumThumbWidth = 7;
constexpr int kMinimumInnerHeight = 7;
constexpr int kThumbTop = 1;
constexpr int kThumbVerticalMargin = 2;
constexpr Colour kThumbColour = 0x000002;
constexpr unsigned kSliderCanvasOptions =
    kCanvasBorder | kCanvasConfinePointer | kCanvasKeyboardFocus;
constexpr float kTenthsPerUnit = 10.0f;
constexpr int kAmplitudeReadoutOffset = 1;

// Kept in single precision on purpose: thumb positions are defined by the float scale.
float SliderScale(int innerWidth, int maximum) {
  return static_cast<float>(static_cast<double>(innerWidth) / maximum);
}

int ThumbWidth(float scale) { return std::max(static_cast<int>(scale), kMinimumThumbWidth); }

// Nearest integer, ties to even, of the value's position less half a thumb and the border pixel.
int ThumbLeftEdge(int value, float scale, int thumbWidth) {
  const double edge = value * static_cast<double>(scale) - thumbWidth / 2.0 - 1.0;
  return static_cast<int>(std::nearbyint(edge));
}

void PaintSlider(int innerWidth, int innerHeight, int thumbLeft, int thumbWidth) {
  FillRectangle(0, 0, innerWidth, innerHeight, WindowGroundColour);
  FillRectangle(thumbLeft, kThumbTop, thumbWidth, innerHeight - kThumbVerticalMargin, kThumbColour);
}

// Always "3.5", never "3,5": the reader of this field takes a point only, whatever the user's
// locale, so the readout must not follow the locale either.
std::string LengthReadout(int value) {
  const float seconds = static_cast<float>(value) / kTenthsPerUnit;
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(seconds),
                                 std::chars_format::fixed, 1);
  return std::string(text, end.ptr);
}

// The value as its readout shows it: seconds for the length, percent for the amplitude.
AccessibleSliderValue ShownValue(ObjectRef canvas, int value) {
  const int maximum = static_cast<int>(ControlData(canvas));
  if (canvas == LengthSlider) {
    constexpr double kTenths = kTenthsPerUnit;
    return {1 / kTenths, maximum / kTenths, 1 / kTenths, value / kTenths, LengthReadout(value)};
  }
  const int percent = value - kAmplitudeReadoutOffset;
  return {0.0, double(maximum - kAmplitudeReadoutOffset), 1.0, double(percent),
          std::to_string(percent)};
}

void WriteReadout(ObjectRef canvas, int value) {
  if (canvas != AmplitudeSlider && canvas != LengthSlider) return;
  const AccessibleSliderValue shown = ShownValue(canvas, value);
  SetControlText(canvas == LengthSlider ? LengthValueField : AmplitudeValueField, shown.text);
  SetAccessibleSliderValue(canvas, shown);
}

bool MovesThumb(EventSubtype subtype, ObjectRef canvas) {
  if (subtype == EventSubtype::LeftButtonDown) return true;
  return subtype == EventSubtype::PointerMoved && (CanvasButtons(canvas) & kLeftButtonBit) != 0;
}

}  // namespace

ObjectRef CreateCanvasSlider([[maybe_unused]] int number, int x, int y, int width, int height,
                             int value, int maximum) {
  // The toolkit always picks the identity itself, so the number has nothing to select.
  const float scale = SliderScale(width, maximum);
  const int thumbWidth = ThumbWidth(scale);
  const int thumbLeft = ThumbLeftEdge(value, scale, thumbWidth);
  const int innerHeight = std::max(height, kMinimumInnerHeight) + 1;

  const ObjectRef canvas = CheckOrDie(
      CreateCanvas(x, y, width + kBorderTotal, innerHeight + kBorderTotal, kSliderCanvasOptions),
      "CanvasGadget");
  if (canvas == 0) return 0;
  SetControlData(canvas, maximum);

  CheckOrDie(StartDrawingOnCanvas(canvas), "StartDrawing");
  PaintSlider(width, innerHeight, thumbLeft, thumbWidth);
  StopDrawing();
  return canvas;
}

void NameSlider(ObjectRef canvas, const std::string& name, int value) {
  SetAccessibleName(canvas, name);
  SetAccessibleSliderValue(canvas, ShownValue(canvas, value));
}

int HandleSliderEvent(EventSubtype subtype, ObjectRef canvas) {
  if (subtype == EventSubtype::LeftButtonUp) return SliderValue;
  if (!MovesThumb(subtype, canvas)) return 0;

  const int maximum = static_cast<int>(ControlData(canvas));
  const int innerWidth = ControlWidth(canvas) - kBorderTotal;
  const int innerHeight = ControlHeight(canvas) - kBorderTotal;
  const float scale = SliderScale(innerWidth, maximum);
  const int thumbWidth = ThumbWidth(scale);

  // No clamp: the canvas confines the pointer to the inner area while the button is held.
  SliderValue = static_cast<int>(CanvasPointerX(canvas) / static_cast<double>(scale)) + 1;
  const int thumbLeft =
      std::clamp(ThumbLeftEdge(SliderValue, scale, thumbWidth), 0, innerWidth - thumbWidth);

  WriteReadout(canvas, SliderValue);
  CheckOrDie(StartDrawingOnCanvas(canvas), "StartDrawing");
  PaintSlider(innerWidth, innerHeight, thumbLeft, thumbWidth);
  StopDrawing();
  return 0;
}
