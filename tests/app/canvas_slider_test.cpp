// The sliders driven by real mouse events on their canvases and handled by the program's dispatch.
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "controls/canvas_slider.h"
#include "running_program.h"

using namespace quorvel_test;

namespace {

constexpr int kInnerWidth = 145;
constexpr int kInnerHeight = 21;
constexpr int kThumbWidth = 7;
constexpr Colour kThumb = 0x000002;

// Left edge of the thumb as the picture shows it, or -1 when no column holds the thumb colour.
int DrawnThumbLeft(ObjectRef slider) {
  StartDrawingOnCanvas(slider);
  int left = -1;
  for (int x = 0; x < kInnerWidth && left < 0; ++x) {
    if (PixelColour(x, kInnerHeight / 2) == kThumb) left = x;
  }
  StopDrawing();
  return left;
}

class CanvasSlider : public ::testing::Test {
 protected:
  void SetUp() override { RestoreStartState(); }
};

struct PointerCase {
  int x;
  int lengthValue;
  int amplitudeValue;
  const char* lengthReadout;
  const char* amplitudeReadout;
};

}  // namespace

TEST_F(CanvasSlider, PressSetsTheValueAndReadoutFromThePointer) {
  const PointerCase cases[] = {
      {0, 1, 1, "0.1", "0"},     {1, 1, 1, "0.1", "0"},       {2, 2, 2, "0.2", "1"},
      {72, 50, 51, "5.0", "50"}, {143, 99, 100, "9.9", "99"}, {144, 100, 101, "10.0", "100"},
  };
  for (const PointerCase& c : cases) {
    SCOPED_TRACE("pointer x " + std::to_string(c.x));
    PressSlider(LengthSlider, c.x);
    EXPECT_EQ(SliderValue, c.lengthValue);
    EXPECT_EQ(ControlText(LengthValueField), c.lengthReadout);
    ReleaseSlider(LengthSlider, c.x);

    PressSlider(AmplitudeSlider, c.x);
    EXPECT_EQ(SliderValue, c.amplitudeValue);
    EXPECT_EQ(ControlText(AmplitudeValueField), c.amplitudeReadout);
    ReleaseSlider(AmplitudeSlider, c.x);
  }
  // The other slider's readout keeps its last text.
  EXPECT_EQ(ControlText(LengthValueField), "10.0");
}

TEST_F(CanvasSlider, ThumbFollowsTheValueAndStopsAtTheEnds) {
  struct EdgeCase {
    ObjectRef slider;
    int x;
    int value;
    int edge;
  };
  // Pointer positions chosen to give the values of the edge table.
  const EdgeCase cases[] = {
      {LengthSlider, 0, 1, 0},          {LengthSlider, 3, 3, 0},
      {LengthSlider, 5, 4, 1},          {LengthSlider, 143, 99, 138},
      {LengthSlider, 144, 100, 138},    {AmplitudeSlider, 0, 1, 0},
      {AmplitudeSlider, 3, 3, 0},       {AmplitudeSlider, 5, 4, 1},
      {AmplitudeSlider, 142, 99, 138},  {AmplitudeSlider, 143, 100, 138},
      {AmplitudeSlider, 144, 101, 138},
  };
  for (const EdgeCase& c : cases) {
    SCOPED_TRACE("pointer x " + std::to_string(c.x));
    PressSlider(c.slider, c.x);
    ASSERT_EQ(SliderValue, c.value);
    EXPECT_EQ(DrawnThumbLeft(c.slider), c.edge);
    ReleaseSlider(c.slider, c.x);
  }
}

TEST_F(CanvasSlider, DragWithTheLeftButtonMovesTheThumbAndTheReadout) {
  PressSlider(LengthSlider, 10);
  DragSlider(LengthSlider, 72);
  EXPECT_EQ(SliderValue, 50);
  EXPECT_EQ(ControlText(LengthValueField), "5.0");
  EXPECT_EQ(DrawnThumbLeft(LengthSlider), 68);  // 50 x 1.45 - 3.5 - 1 = 68
  ReleaseSlider(LengthSlider, 72);
}

TEST_F(CanvasSlider, ReleaseReportsTheValueEverythingElseReportsNothing) {
  PressSlider(AmplitudeSlider, 72);
  // Straight through the handler: the queue would hide what the handler returns.
  EXPECT_EQ(HandleSliderEvent(EventSubtype::LeftButtonUp, AmplitudeSlider), 51);
  EXPECT_EQ(HandleSliderEvent(EventSubtype::LeftButtonUp, AmplitudeSlider), 51);
  for (EventSubtype ignored :
       {EventSubtype::RightButtonDown, EventSubtype::RightButtonUp, EventSubtype::Wheel,
        EventSubtype::KeyDown, EventSubtype::KeyUp, EventSubtype::PointerEntered,
        EventSubtype::PointerLeft, EventSubtype::Focus}) {
    EXPECT_EQ(HandleSliderEvent(ignored, AmplitudeSlider), 0);
  }
  ReleaseSlider(AmplitudeSlider, 72);
  EXPECT_EQ(SliderValue, 51);
}

TEST_F(CanvasSlider, RightButtonWheelKeysAndMovesWithoutButtonChangeNothing) {
  PressSlider(LengthSlider, 72);
  ReleaseSlider(LengthSlider, 72);
  ASSERT_EQ(DrawnThumbLeft(LengthSlider), 68);

  QWidget* canvas = WidgetOf(LengthSlider);
  QTest::mousePress(canvas, Qt::RightButton, {}, QPoint(2 + 140, 10));
  QTest::mouseRelease(canvas, Qt::RightButton, {}, QPoint(2 + 140, 10));
  QTest::mouseMove(canvas, QPoint(2 + 20, 10));
  QWheelEvent wheel(QPointF(30, 10), canvas->mapToGlobal(QPointF(30, 10)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(canvas, &wheel);
  canvas->setFocus();
  QTest::keyClick(canvas, Qt::Key_Right);
  DispatchQueuedEvents();

  EXPECT_EQ(SliderValue, 50);
  EXPECT_EQ(ControlText(LengthValueField), "5.0");
  EXPECT_EQ(DrawnThumbLeft(LengthSlider), 68);
}

// Qt puts the C library into the user's locale; under a comma locale the readout must still
// say "3.5", or the render reads 3 and the file holds 3.0 s.
TEST_F(CanvasSlider, ReadoutAndRenderIgnoreACommaLocale) {
  setenv("LOCPATH", QUORVEL_TEST_LOCALES, 1);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "no de_DE.UTF-8 locale in " << QUORVEL_TEST_LOCALES;
  }
  PressSlider(LengthSlider, 50);
  ReleaseSlider(LengthSlider, 50);
  const std::string readout = ControlText(LengthValueField);
  ClickRenderButton();
  const std::uint32_t dataSize = DataSize();
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(readout, "3.5");
  EXPECT_EQ(dataSize, 308700u) << "3.5 s of mono at 44100 Hz";
}
