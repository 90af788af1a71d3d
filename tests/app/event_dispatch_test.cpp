// Control and command events dispatched as the event loop does: the two states of the render
// marker, the format commands, and what the frequency field shows after a clamp.
#include <QTest>

#include <gtest/gtest.h>

#include "running_program.h"
#include "tests/figures.h"

using namespace quorvel_test;

namespace {

using figures::kDefaultDataSize;

class EventDispatch : public ::testing::Test {
 protected:
  void SetUp() override { RestoreStartState(); }
};

}  // namespace

TEST_F(EventDispatch, NothingRendersBeforeTheFirstPressEverythingRendersAfterIt) {
  ASSERT_EQ(RenderMarker, 0);
  PressSlider(LengthSlider, 72);
  ReleaseSlider(LengthSlider, 72);
  EXPECT_EQ(DataSize(), 0u) << "slider release before the first render";
  ChooseShape(2);
  EXPECT_EQ(DataSize(), 0u) << "shape change before the first render";
  ChooseMenuCommand(kCommandStereo);
  EXPECT_EQ(DataSize(), 0u) << "format command before the first render";
  ChooseMenuCommand(kCommandMono);

  ClickRenderButton();
  EXPECT_EQ(RenderMarker, RenderButton);
  EXPECT_EQ(DataSize(), 441000u) << "5.0 s from the Length slider";
  EXPECT_LE(SampleAt(0), 0) << "square";
  EXPECT_EQ(SampleAt(1), -29490) << "square";

  // Each change renders again, also when the value stays the same.
  ClearWavBuffer();
  PressSlider(LengthSlider, 72);
  ReleaseSlider(LengthSlider, 72);
  EXPECT_EQ(DataSize(), 441000u) << "same value after release";
  ClearWavBuffer();
  ChooseShape(0);
  EXPECT_EQ(DataSize(), 441000u);
  EXPECT_EQ(SampleAt(1), 4175);
  ClearWavBuffer();
  ChooseMenuCommand(kCommandMono);
  EXPECT_EQ(DataSize(), 441000u) << "the already checked item runs in full";
}

TEST_F(EventDispatch, RenderButtonRendersTheDefaults) {
  ClickRenderButton();
  EXPECT_EQ(DataSize(), kDefaultDataSize);
  EXPECT_EQ(RiffSize(), 1764036u);
  const auto& first = figures::kDefaultSineStart;
  for (std::size_t i = 0; i < std::size(first); ++i) EXPECT_EQ(SampleAt(i), first[i]) << i;
  EXPECT_EQ(ControlText(FrequencyField), "997");
}

TEST_F(EventDispatch, TypedFrequencyTakesEffectAtTheNextRender) {
  ClickRenderButton();
  TypeFrequency("11025");
  EXPECT_EQ(ControlText(FrequencyField), "11025");
  EXPECT_EQ(SampleAt(1), 4175) << "typing alone renders nothing";
  ChooseShape(0);  // no change of selection: no event
  EXPECT_EQ(SampleAt(1), 4175);
  ChooseShape(3);
  ChooseShape(0);
  // A quarter period is one sample at 11025 Hz: 0, peak, 0, -peak.
  EXPECT_EQ(SampleAt(0), 0);
  EXPECT_EQ(SampleAt(1), 29490);
  EXPECT_EQ(SampleAt(2), 0);
  EXPECT_EQ(SampleAt(3), -29490);
}

TEST_F(EventDispatch, FormatCommandsRebuildRerenderAndShowTheFormat) {
  ClickRenderButton();
  ChooseMenuCommand(kCommandStereo);
  EXPECT_TRUE(MenuItemChecked(kMainMenu, kCommandStereo));
  EXPECT_FALSE(MenuItemChecked(kMainMenu, kCommandMono));
  EXPECT_EQ(StatusBarText(StatusBar, 1), "Stereo");
  EXPECT_EQ(CurrentRenderSettings.channels, 2);
  EXPECT_EQ(Channels(), 2);
  EXPECT_EQ(WavBufferBlockSize(), 3528044u);
  EXPECT_EQ(DataSize(), 2 * kDefaultDataSize);
  EXPECT_EQ(SampleAt(2), 4175) << "left and right carry the same sample";
  EXPECT_EQ(SampleAt(3), 4175);

  ChooseMenuCommand(kCommand192000Hz);
  EXPECT_TRUE(MenuItemChecked(kMainMenu, kCommand192000Hz));
  EXPECT_FALSE(MenuItemChecked(kMainMenu, kCommand44100Hz));
  EXPECT_EQ(StatusBarText(StatusBar, 0), "192000 Hz");
  EXPECT_EQ(SampleRate(), 192000u);
  EXPECT_EQ(WavBufferBlockSize(), 15360044u);
  EXPECT_EQ(DataSize(), 2304000u);

  ChooseMenuCommand(kCommand16Bits);
  EXPECT_TRUE(MenuItemChecked(kMainMenu, kCommand16Bits));
  EXPECT_EQ(StatusBarText(StatusBar, 2), "16 bits");
  EXPECT_EQ(DataSize(), 2304000u);

  ChooseMenuCommand(kCommandMono);
  ChooseMenuCommand(kCommand44100Hz);
  EXPECT_EQ(StatusBarText(StatusBar, 0), "44100 Hz");
  EXPECT_EQ(StatusBarText(StatusBar, 1), "Mono");
  EXPECT_EQ(WavBufferBlockSize(), figures::kStartBlockSize);
  EXPECT_EQ(DataSize(), kDefaultDataSize);
}

TEST_F(EventDispatch, ClampedFrequenciesAreWrittenBack) {
  TypeFrequency("30000");
  ClickRenderButton();
  EXPECT_EQ(ControlText(FrequencyField), "22049");
  TypeFrequency("96000");
  ChooseMenuCommand(kCommand192000Hz);
  EXPECT_EQ(ControlText(FrequencyField), "95999");
  TypeFrequency("5");
  ChooseShape(1);
  EXPECT_EQ(ControlText(FrequencyField), "20");
  TypeFrequency("");
  ClickRenderButton();
  EXPECT_EQ(ControlText(FrequencyField), "20");
  TypeFrequency("997.3");
  ClickRenderButton();
  EXPECT_EQ(ControlText(FrequencyField), "997.3") << "whole-cycle correction is not written back";
}

TEST_F(EventDispatch, ReturnAndUnknownCommandsDoNothing) {
  ClickRenderButton();
  TypeFrequency("440");
  QWidget* field = WidgetOf(FrequencyField);
  field->activateWindow();
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Return);
  ASSERT_EQ(TakeEvent(), EventKind::Command);
  EXPECT_EQ(EventObject(), kCommandReturnKey);
  DispatchEvent(EventKind::Command);
  DispatchQueuedEvents();
  EXPECT_EQ(SampleAt(1), 4175) << "Return must not render";
  EXPECT_EQ(ControlText(FrequencyField), "440");

  // A menu item that the program does not know.
  constexpr int kUnknownCommand = 99;
  AddMenuItem(kUnknownCommand, "Unknown");
  ChooseMenuCommand(kUnknownCommand);
  EXPECT_EQ(SampleAt(1), 4175);
  EXPECT_EQ(DataSize(), kDefaultDataSize);
  EXPECT_EQ(StatusBarText(StatusBar, 1), "Mono");
}
