// The window as start-up leaves it: geometry, texts, menus, status bar, buffer and slider pictures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/canvas_slider.h"
#include "running_program.h"
#include "tests/figures.h"

using namespace quorvel_test;

namespace {

struct Placement {
  const char* name;
  ObjectRef control;
  int x, y, width, height;
};

constexpr Colour kThumb = 0x000002;
constexpr int kSliderInnerWidth = 145;
constexpr int kSliderInnerHeight = 21;
constexpr int kThumbWidth = 7;

// Columns where the picture shows the thumb, rows 1..inner height - 2.
void ExpectSliderPicture(ObjectRef slider, int thumbLeft) {
  ASSERT_NE(StartDrawingOnCanvas(slider), 0);
  int wrongPixels = 0;
  for (int y = 0; y < kSliderInnerHeight; ++y) {
    for (int x = 0; x < kSliderInnerWidth; ++x) {
      const bool inThumb =
          x >= thumbLeft && x < thumbLeft + kThumbWidth && y >= 1 && y <= kSliderInnerHeight - 2;
      const Colour expected = inThumb ? kThumb : WindowGroundColour;
      if (PixelColour(x, y) != expected) {
        if (++wrongPixels <= 5) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") is 0x" << std::hex << PixelColour(x, y)
                        << ", expected 0x" << expected;
        }
      }
    }
  }
  StopDrawing();
  EXPECT_EQ(wrongPixels, 0) << "thumb expected at " << thumbLeft;
}

}  // namespace

TEST(StartUp, WindowHasItsTitleAndClientAreaBelowTheMenuBar) {
  const std::string expectedTitle =
      sizeof(void*) == 8 ? "Quorvel 64 - Tenbrisk Audio" : "Quorvel 32 - Tenbrisk Audio";
  EXPECT_EQ(WindowTitle(kMainWindow), expectedTitle);
  EXPECT_EQ(WindowClientWidth(kMainWindow), 350);
  EXPECT_EQ(WindowClientHeight(kMainWindow), 379);
  EXPECT_EQ(ActiveWindow(), kMainWindow);
}

TEST(StartUp, ControlsStandWhereTheLayoutPutsThem) {
  const std::vector<Placement> placements = {
      {"parameter panel", ParameterPanel, 15, 80, 320, 260},
      {"frequency field", FrequencyField, 190, 24, 100, 25},
      {"render button", RenderButton, 88, 222, 130, 25},
      {"shape list", ShapeList, 20, 25, 125, 25},
      {"Length slider", LengthSlider, 74, 165, 149, 25},
      {"Length value field", LengthValueField, 14, 165, 35, 25},
      {"Amplitude slider", AmplitudeSlider, 74, 125, 149, 25},
      {"Amplitude value field", AmplitudeValueField, 14, 125, 35, 25},
  };
  for (const Placement& p : placements) {
    SCOPED_TRACE(p.name);
    ASSERT_NE(p.control, 0);
    EXPECT_EQ(ControlX(p.control), p.x);
    EXPECT_EQ(ControlY(p.control), p.y);
    EXPECT_EQ(ControlWidth(p.control), p.width);
    EXPECT_EQ(ControlHeight(p.control), p.height);
  }
  EXPECT_TRUE(ControlVisible(ParameterPanel));
}

TEST(StartUp, ControlsShowTheStartValues) {
  EXPECT_EQ(ControlText(FrequencyField), "997");
  EXPECT_EQ(ControlText(RenderButton), "Rendering Shape");
  EXPECT_EQ(ControlText(LengthValueField), "3.0");
  EXPECT_EQ(ControlText(AmplitudeValueField), "90");
  EXPECT_EQ(ListSelection(ShapeList), 0);
  EXPECT_EQ(ControlData(LengthSlider), 100);
  EXPECT_EQ(ControlData(AmplitudeSlider), 101);
  EXPECT_EQ(SaveDialogPatterns, "Audio (*.wav)|*.wav|All files (*.*)|*.*");
  EXPECT_EQ(SliderValue, 0);
}

TEST(StartUp, MenusAndStatusBarShowTheStartFormat) {
  EXPECT_TRUE(MenuItemChecked(kMainMenu, kCommandMono));
  EXPECT_FALSE(MenuItemChecked(kMainMenu, kCommandStereo));
  EXPECT_TRUE(MenuItemChecked(kMainMenu, kCommand44100Hz));
  EXPECT_FALSE(MenuItemChecked(kMainMenu, kCommand192000Hz));
  EXPECT_TRUE(MenuItemChecked(kMainMenu, kCommand16Bits));
  EXPECT_FALSE(MenuItemChecked(kMainMenu, kCommandSave));
  EXPECT_FALSE(MenuItemChecked(kMainMenu, kCommandMakerSite));

  EXPECT_EQ(StatusBarText(StatusBar, 0), "44100 Hz");
  EXPECT_EQ(StatusBarText(StatusBar, 1), "Mono");
  EXPECT_EQ(StatusBarText(StatusBar, 2), "16 bits");
  const int firstWidth = StatusBarFieldWidth(StatusBar, 0);
  EXPECT_GT(firstWidth, 0);
  EXPECT_NEAR(StatusBarFieldWidth(StatusBar, 1), firstWidth, 1);
  EXPECT_NEAR(StatusBarFieldWidth(StatusBar, 2), firstWidth, 1);
}

TEST(StartUp, BufferIsBuiltForTwentySecondsAndEmpty) {
  EXPECT_EQ(CurrentRenderSettings.channels, 1);
  EXPECT_EQ(CurrentRenderSettings.bytesPerSample, 2);
  EXPECT_EQ(CurrentRenderSettings.sampleRate, 44100);
  ASSERT_NE(MainWavBuffer, nullptr);
  EXPECT_EQ(WavBufferBlockSize(), figures::kStartBlockSize);
  EXPECT_EQ(RiffSize(), 1764036u);
  EXPECT_EQ(DataSize(), 0u);
  EXPECT_EQ(RenderMarker, 0);
}

TEST(StartUp, SlidersShowTheirThumbsOnTheWindowGround) {
  EXPECT_EQ(WindowGroundColour, 0xF0F0F0u);
  ExpectSliderPicture(LengthSlider, 39);
  ExpectSliderPicture(AmplitudeSlider, 126);
}
