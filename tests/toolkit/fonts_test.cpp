// Fonts by face name and size, and the default font of controls created afterwards.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

#include "tests/toolkit/test_support.h"

namespace {

constexpr int kFont = 0;

int ExpectedHeight(int points) {
  return int(std::lround(points * QGuiApplication::primaryScreen()->logicalDotsPerInchY() / 72.0));
}

}  // namespace

TEST(Fonts, CharacterHeightFollowsPointsAndScreenResolution) {
  const ObjectRef font = LoadFont(kFont, "Arial", 10);
  ASSERT_NE(font, 0);
  EXPECT_EQ(FontHandle(kFont), font);
  EXPECT_EQ(FontHandle(7), 0);
  EXPECT_EQ(FontCharacterHeight(kFont), ExpectedHeight(10));
  // The test screen has 96 dots per inch: 10 points are 13 pixels.
  EXPECT_EQ(QGuiApplication::primaryScreen()->logicalDotsPerInchY(), 96.0);
  EXPECT_EQ(FontCharacterHeight(kFont), 13);

  ASSERT_NE(LoadFont(1, "Arial", 24), 0);
  EXPECT_EQ(FontCharacterHeight(1), 32);
  EXPECT_EQ(FontCharacterHeight(kFont), 13) << "another number leaves font 0 alone";
}

TEST(Fonts, MissingFaceIsServedBySubstituteButNothingUsableFails) {
  EXPECT_NE(LoadFont(kFont, "Arial", 10), 0);
  EXPECT_NE(LoadFont(1, "A face nobody has installed", 10), 0);
  EXPECT_EQ(LoadFont(2, "", 10), 0);
  EXPECT_EQ(LoadFont(3, "Arial", 0), 0);
  EXPECT_EQ(LoadFont(4, "Arial", -3), 0);
  EXPECT_EQ(FontHandle(3), 0);
}

TEST(Fonts, DefaultFontReachesOnlyControlsCreatedAfterIt) {
  const ObjectRef window = OpenActiveWindow(0);
  const ObjectRef before = CreateButton(0, 0, 50, 20, "before");
  SetDefaultFont(LoadFont(kFont, "Arial", 20));
  const ObjectRef after = CreateStaticText(0, 30, 50, 20, "after", 0);
  const ObjectRef panel = CreatePanel(0, 60, 100, 50);
  const ObjectRef inPanel = CreateTextField(0, 0, 50, 20, "in", 0);
  ClosePanel();
  const ObjectRef bar = CreateStatusBar(window);
  SetDefaultFont(0);
  const ObjectRef reset = CreateButton(0, 120, 50, 20, "reset");

  const int chosen = ExpectedHeight(20);
  EXPECT_EQ(QFontInfo(WidgetOf(after)->font()).pixelSize(), chosen);
  EXPECT_EQ(QFontInfo(WidgetOf(inPanel)->font()).pixelSize(), chosen);
  EXPECT_EQ(QFontInfo(WidgetOf(panel)->font()).pixelSize(), chosen);
  for (ObjectRef system : {before, bar, reset}) {
    EXPECT_EQ(WidgetOf(system)->font(), QApplication::font()) << system;
  }
}
