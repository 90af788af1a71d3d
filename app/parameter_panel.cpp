// The parameter panel: every control of the main window, created hidden in a fixed order.
#include "app/main_window.h"
#include "app/shell.h"
#include "controls/canvas_slider.h"
#include "sound/wav_buffer.h"

namespace {

constexpr unsigned kPlainText = 0;
constexpr unsigned kValueFieldOptions = kTextCentred | kTextSunkenBorder;

constexpr int kFirstShape = 0;

constexpr int kLengthStartValue = 30;
constexpr int kLengthMaximum = 100;
constexpr int kAmplitudeStartValue = 91;
constexpr int kAmplitudeMaximum = 101;

struct Labels {
  ObjectRef frequency;
  ObjectRef shape;
  ObjectRef length;
  ObjectRef amplitude;
};

ObjectRef CreateShapeList() {
  const ObjectRef list = CreateDropDownList(20, 25, 125, 25);
  for (const char* name : kShapeNames) AddListItem(list, name);
  SetListSelection(list, kFirstShape);
  return list;
}

ObjectRef CreateSlider(int y, int value, int maximum) {
  return CheckOrDie(CreateCanvasSlider(kAutomaticIdentifier, 74, y, 145, 20, value, maximum),
                    "SliderGadget");
}

// The order of creation is also the order in which Tab moves the focus.
Labels CreateControls() {
  Labels labels{};
  FrequencyField = CreateTextField(190, 24, 100, 25, kStartFrequencyText, kTextBorderless);
  labels.frequency = CreateStaticText(196, 5, 120, 20, "Hertz", kPlainText);
  RenderButton = CreateButton(88, 222, 130, 25, "Rendering Shape");
  labels.shape = CreateStaticText(24, 5, 120, 20, "Shape", kPlainText);
  ShapeList = CreateShapeList();
  labels.length = CreateStaticText(254, 170, 110, 25, "Length", kPlainText);
  LengthSlider = CreateSlider(165, kLengthStartValue, kLengthMaximum);
  LengthValueField = CreateStaticText(14, 165, 35, 25, kStartLengthText, kValueFieldOptions);
  labels.amplitude = CreateStaticText(248, 130, 105, 25, "Amplitude", kPlainText);
  AmplitudeSlider = CreateSlider(125, kAmplitudeStartValue, kAmplitudeMaximum);
  AmplitudeValueField = CreateStaticText(14, 125, 35, 25, kStartAmplitudeText, kValueFieldOptions);
  return labels;
}

// A screen reader calls each control after its visible label.
void LabelControls(const Labels& labels) {
  LabelControl(labels.frequency, FrequencyField);
  LabelControl(labels.shape, ShapeList);
  LabelControl(labels.length, LengthValueField);
  LabelControl(labels.amplitude, AmplitudeValueField);
  NameSlider(LengthSlider, ControlText(labels.length), kLengthStartValue);
  NameSlider(AmplitudeSlider, ControlText(labels.amplitude), kAmplitudeStartValue);
}

void ColourControls(const Labels& labels) {
  SetControlColour(AmplitudeValueField, kWindowColour);
  SetControlColour(LengthValueField, kWindowColour);
  SetControlColour(FrequencyField, kFrequencyFieldColour);
  for (ObjectRef label : {labels.frequency, labels.shape, labels.length, labels.amplitude}) {
    SetControlColour(label, kWindowColour);
  }
}

}  // namespace

void CreateParameterPanel() {
  ParameterPanel = CreatePanel(15, 80, 320, 260);
  SetControlColour(ParameterPanel, kWindowColour);
  HideControl(ParameterPanel, true);
  const Labels labels = CreateControls();
  ClosePanel();
  LabelControls(labels);
  ColourControls(labels);
}
