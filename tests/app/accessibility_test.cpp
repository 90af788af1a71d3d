// What a screen reader is told of the main window, read from Qt's accessible tree in process.
#include <QAccessible>
#include <QAccessibleValueInterface>

#include <gtest/gtest.h>

#include <string>

#include "controls/canvas_slider.h"
#include "running_program.h"

using namespace quorvel_test;

namespace {

QAccessibleInterface* Accessible(ObjectRef control) {
  return QAccessible::queryAccessibleInterface(WidgetOf(control));
}

std::string Name(QAccessibleInterface* object) {
  return object->text(QAccessible::Name).toStdString();
}

// The name of the one object reported as labelling the control.
std::string LabelOf(ObjectRef control) {
  const auto labels = Accessible(control)->relations(QAccessible::Label);
  return labels.size() == 1 ? Name(labels.front().first)
                            : "(" + std::to_string(labels.size()) + " labels)";
}

struct SliderReading {
  double value;
  std::string text;
};

SliderReading ReadSlider(ObjectRef slider) {
  QAccessibleInterface* object = Accessible(slider);
  return {object->valueInterface()->currentValue().toDouble(),
          object->text(QAccessible::Value).toStdString()};
}

class Accessibility : public ::testing::Test {
 protected:
  void SetUp() override { RestoreStartState(); }
};

}  // namespace

TEST_F(Accessibility, EveryControlIsNamedAfterItsLabel) {
  EXPECT_EQ(Accessible(FrequencyField)->role(), QAccessible::EditableText);
  EXPECT_EQ(Name(Accessible(FrequencyField)), "Hertz");
  EXPECT_EQ(LabelOf(FrequencyField), "Hertz");
  EXPECT_EQ(Accessible(ShapeList)->role(), QAccessible::ComboBox);
  EXPECT_EQ(Name(Accessible(ShapeList)), "Shape");
  EXPECT_EQ(LabelOf(ShapeList), "Shape");
  EXPECT_EQ(Name(Accessible(RenderButton)), "Rendering Shape");
  // The readouts keep their own text as name and are tied to their labels.
  EXPECT_EQ(Name(Accessible(LengthValueField)), "3.0");
  EXPECT_EQ(LabelOf(LengthValueField), "Length");
  EXPECT_EQ(Name(Accessible(AmplitudeValueField)), "90");
  EXPECT_EQ(LabelOf(AmplitudeValueField), "Amplitude");
}

TEST_F(Accessibility, SlidersReportTheValuesTheirReadoutsShow) {
  struct Expected {
    ObjectRef slider;
    const char* name;
    double minimum, maximum, step;
  };
  for (const Expected& e : {Expected{LengthSlider, "Length", 0.1, 10.0, 0.1},
                            Expected{AmplitudeSlider, "Amplitude", 0.0, 100.0, 1.0}}) {
    SCOPED_TRACE(e.name);
    QAccessibleInterface* slider = Accessible(e.slider);
    EXPECT_EQ(slider->role(), QAccessible::Slider);
    EXPECT_EQ(Name(slider), e.name);
    EXPECT_TRUE(slider->state().readOnly);
    EXPECT_TRUE(slider->state().focusable);
    ASSERT_NE(slider->valueInterface(), nullptr);
    EXPECT_DOUBLE_EQ(slider->valueInterface()->minimumValue().toDouble(), e.minimum);
    EXPECT_DOUBLE_EQ(slider->valueInterface()->maximumValue().toDouble(), e.maximum);
    EXPECT_DOUBLE_EQ(slider->valueInterface()->minimumStepSize().toDouble(), e.step);
  }
  EXPECT_EQ(ReadSlider(LengthSlider).value, 3.0);
  EXPECT_EQ(ReadSlider(LengthSlider).text, "3.0");
  EXPECT_EQ(ReadSlider(AmplitudeSlider).value, 90.0);
  EXPECT_EQ(ReadSlider(AmplitudeSlider).text, "90");

  struct Press {
    int x;
    double seconds;
    const char* lengthText;
    double percent;
    const char* amplitudeText;
  };
  for (const Press& p : {Press{0, 0.1, "0.1", 0, "0"}, Press{50, 3.5, "3.5", 34, "34"},
                         Press{72, 5.0, "5.0", 50, "50"}, Press{144, 10.0, "10.0", 100, "100"}}) {
    SCOPED_TRACE("inner x " + std::to_string(p.x));
    PressSlider(LengthSlider, p.x);
    EXPECT_EQ(ReadSlider(LengthSlider).value, p.seconds);
    EXPECT_EQ(ReadSlider(LengthSlider).text, p.lengthText);
    EXPECT_EQ(ControlText(LengthValueField), p.lengthText);
    ReleaseSlider(LengthSlider, p.x);
    PressSlider(AmplitudeSlider, p.x);
    DragSlider(AmplitudeSlider, p.x);
    EXPECT_EQ(ReadSlider(AmplitudeSlider).value, p.percent);
    EXPECT_EQ(ReadSlider(AmplitudeSlider).text, p.amplitudeText);
    ReleaseSlider(AmplitudeSlider, p.x);
  }
}

TEST_F(Accessibility, AssistiveTechnologyCannotSetASlider) {
  const int valueBefore = SliderValue;
  Accessible(LengthSlider)->valueInterface()->setCurrentValue(7.5);
  DispatchQueuedEvents();
  EXPECT_EQ(ReadSlider(LengthSlider).value, 3.0);
  EXPECT_EQ(ControlText(LengthValueField), "3.0");
  EXPECT_EQ(SliderValue, valueBefore);
}

TEST_F(Accessibility, StatusBarReadsAsOneStatusThatFollowsTheFormat) {
  QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(WidgetOf(StatusBar));
  EXPECT_EQ(bar->role(), QAccessible::StatusBar);
  EXPECT_EQ(Name(bar), "44100 Hz, Mono, 16 bits");
  ChooseMenuCommand(kCommandStereo);
  ChooseMenuCommand(kCommand192000Hz);
  EXPECT_EQ(Name(bar), "192000 Hz, Stereo, 16 bits");
}
