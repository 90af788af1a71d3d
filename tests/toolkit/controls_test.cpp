// Controls: references, texts, lists and their events, colours, user data and the panel.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "tests/toolkit/test_support.h"

namespace {

constexpr int kWindow = 0;

Colour ShownColour(QWidget* widget, QPoint point) {
  const QRgb rgb = widget->grab().toImage().pixel(point);
  return Colour(qRed(rgb)) | (Colour(qGreen(rgb)) << 8) | (Colour(qBlue(rgb)) << 16);
}

}  // namespace

TEST(Controls, EachKindGetsItsOwnReferencePlaceAndSize) {
  OpenActiveWindow(kWindow);
  const ObjectRef field = CreateTextField(190, 24, 100, 25, "997", kTextBorderless);
  const ObjectRef label = CreateStaticText(196, 5, 120, 20, "Hertz", 0);
  const ObjectRef button = CreateButton(88, 222, 130, 25, "Rendering Shape");
  const ObjectRef list = CreateDropDownList(20, 25, 125, 25);
  const ObjectRef canvas = CreateCanvas(74, 165, 149, 25, kCanvasBorder);
  const ObjectRef panel = CreatePanel(15, 80, 320, 260);
  ClosePanel();
  const std::vector<ObjectRef> all = {field, label, button, list, canvas, panel};
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_NE(all[i], 0);
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_NE(all[i], all[j]);
    }
    EXPECT_TRUE(ControlVisible(all[i]));
    EXPECT_EQ(ControlData(all[i]), 0);
  }
  EXPECT_NE(WidgetOf<QLineEdit>(field), nullptr);
  EXPECT_NE(WidgetOf<QLabel>(label), nullptr);
  EXPECT_NE(WidgetOf<QPushButton>(button), nullptr);
  EXPECT_NE(WidgetOf<QComboBox>(list), nullptr);

  EXPECT_EQ(ControlX(button), 88);
  EXPECT_EQ(ControlY(button), 222);
  EXPECT_EQ(ControlWidth(button), 130);
  EXPECT_EQ(ControlHeight(button), 25);
  EXPECT_EQ(ControlWidth(canvas), 149);
  EXPECT_EQ(ControlHeight(canvas), 25);

  SetControlData(canvas, 101);
  SetControlData(button, -7);
  EXPECT_EQ(ControlData(canvas), 101);
  EXPECT_EQ(ControlData(button), -7);
  EXPECT_EQ(ControlData(field), 0);

  HideControl(panel, true);
  EXPECT_FALSE(ControlVisible(panel));
  HideControl(panel, false);
  EXPECT_TRUE(ControlVisible(panel));
}

TEST(Controls, UnknownReferencesChangeNothingAndReadAsEmpty) {
  OpenActiveWindow(kWindow);
  const ObjectRef button = CreateButton(0, 0, 50, 20, "b");
  for (ObjectRef stranger : {ObjectRef(0), button + 1, ObjectRef(-1)}) {
    SetControlText(stranger, "x");
    SetControlData(stranger, 5);
    HideControl(stranger, true);
    AddListItem(stranger, "item");
    EXPECT_EQ(ControlText(stranger), "");
    EXPECT_EQ(ControlData(stranger), 0);
    EXPECT_FALSE(ControlVisible(stranger));
    EXPECT_EQ(ListSelection(stranger), -1);
    EXPECT_EQ(ControlWidth(stranger), 0);
  }
  EXPECT_EQ(ListSelection(button), -1);
  EXPECT_EQ(ControlText(button), "b");
}

TEST(Controls, TextsAndOptionsOfFieldsLabelsAndButtons) {
  OpenActiveWindow(kWindow);
  const ObjectRef field = CreateTextField(0, 0, 100, 25, "997", kTextBorderless);
  const ObjectRef framed = CreateTextField(0, 30, 100, 25, "", 0);
  const ObjectRef value = CreateStaticText(0, 60, 35, 25, "3.0", kTextCentred | kTextSunkenBorder);
  const ObjectRef label = CreateStaticText(0, 90, 120, 20, "Length", 0);
  const ObjectRef button = CreateButton(0, 120, 130, 25, "Rendering Shape");

  EXPECT_FALSE(WidgetOf<QLineEdit>(field)->hasFrame());
  EXPECT_TRUE(WidgetOf<QLineEdit>(framed)->hasFrame());
  EXPECT_EQ(WidgetOf<QLabel>(value)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(WidgetOf<QLabel>(value)->frameShadow(), QFrame::Sunken);
  EXPECT_EQ(WidgetOf<QLabel>(label)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
  EXPECT_EQ(WidgetOf<QLabel>(label)->frameShape(), QFrame::NoFrame);

  EXPECT_EQ(ControlText(field), "997");
  EXPECT_EQ(ControlText(value), "3.0");
  EXPECT_EQ(ControlText(button), "Rendering Shape");
  SetControlText(field, "12345678901234567890123456789012345678901234567890");
  SetControlText(value, "10.0");
  SetControlText(button, "Again");
  EXPECT_EQ(ControlText(field), "12345678901234567890123456789012345678901234567890");
  EXPECT_EQ(ControlText(value), "10.0");
  EXPECT_EQ(ControlText(button), "Again");

  // What the user types is what the program reads.
  QLineEdit* edit = WidgetOf<QLineEdit>(framed);
  edit->setFocus();
  QTest::keyClicks(edit, "440.5");
  EXPECT_EQ(ControlText(framed), "440.5");
  // Markup is shown as typed, not interpreted.
  SetControlText(label, "<b>x</b>");
  EXPECT_EQ(WidgetOf<QLabel>(label)->textFormat(), Qt::PlainText);
}

TEST(Controls, ButtonRaisesOneControlEventPerClick) {
  OpenActiveWindow(kWindow);
  const ObjectRef button = CreateButton(88, 222, 130, 25, "Rendering Shape");
  TakeAllEvents();
  QTest::mouseClick(WidgetOf(button), Qt::LeftButton);
  QTest::mouseClick(WidgetOf(button), Qt::LeftButton);
  const std::vector<TakenEvent> events = TakeAllEvents();
  ASSERT_EQ(events.size(), 2u);
  for (const TakenEvent& event : events) {
    EXPECT_EQ(event.kind, EventKind::Control);
    EXPECT_EQ(event.object, button);
  }
}

TEST(Controls, ListSelectionIsSetAndReadAndOnlyTheUsersChangesRaiseEvents) {
  OpenActiveWindow(kWindow);
  const ObjectRef list = CreateDropDownList(20, 25, 125, 25);
  for (const char* shape : {"sine", "saw", "square", "triangle"}) {
    AddListItem(list, shape);
  }
  auto* box = WidgetOf<QComboBox>(list);
  EXPECT_FALSE(box->isEditable());
  EXPECT_EQ(box->count(), 4);
  SetListSelection(list, 2);
  EXPECT_EQ(ListSelection(list), 2);
  EXPECT_EQ(ControlText(list), "square");
  SetListSelection(list, 9);
  EXPECT_EQ(ListSelection(list), 2);
  SetListSelection(list, 0);
  EXPECT_EQ(ListSelection(list), 0);
  EXPECT_TRUE(TakeAllEvents().empty()) << "the program's own changes raise nothing";

  box->setFocus();
  QTest::keyClick(box, Qt::Key_Down);
  EXPECT_EQ(ListSelection(list), 1);
  std::vector<TakenEvent> events = TakeAllEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, EventKind::Control);
  EXPECT_EQ(events[0].object, list);
  EXPECT_EQ(events[0].subtype, EventSubtype::Change);

  // Choosing the item already selected is no change.
  SetListSelection(list, 3);
  QTest::keyClick(box, Qt::Key_Down);
  EXPECT_EQ(ListSelection(list), 3);
  EXPECT_TRUE(TakeAllEvents().empty());
}

TEST(Controls, PanelHoldsLaterControlsRelativeToItAndClipsThem) {
  const ObjectRef window = OpenActiveWindow(kWindow);
  const ObjectRef panel = CreatePanel(15, 80, 320, 260);
  SetControlColour(panel, 0xF0F0F0);
  const ObjectRef inside = CreateStaticText(254, 170, 110, 25, "Length", 0);
  ClosePanel();
  const ObjectRef outside = CreateButton(5, 5, 60, 20, "x");

  EXPECT_EQ(WidgetOf(inside)->parentWidget(), WidgetOf(panel));
  EXPECT_EQ(ControlX(inside), 254);
  EXPECT_EQ(WidgetOf(inside)->mapTo(WidgetOf(window), QPoint(0, 0)), QPoint(15 + 254, 80 + 170));
  EXPECT_NE(WidgetOf(outside)->parentWidget(), WidgetOf(panel));
  EXPECT_EQ(WidgetOf(outside)->mapTo(WidgetOf(window), QPoint(0, 0)), QPoint(5, 5));

  // Only the part up to the panel's right edge shows: 320 - 254 pixels.
  EXPECT_EQ(WidgetOf(inside)->visibleRegion().boundingRect(), QRect(0, 0, 320 - 254, 25));

  // Hiding the panel hides what it holds.
  HideControl(panel, true);
  EXPECT_FALSE(WidgetOf(inside)->isVisible());
  EXPECT_TRUE(ControlVisible(inside));
}

TEST(Controls, BackgroundColourIsWhatTheControlShows) {
  OpenActiveWindow(kWindow);
  const ObjectRef label = CreateStaticText(10, 10, 120, 20, "", 0);
  const ObjectRef field = CreateTextField(10, 40, 100, 25, "", kTextBorderless);
  SetControlColour(label, 0x102030);
  SetControlColour(field, 0xFFFFFF);
  EXPECT_EQ(ShownColour(WidgetOf(label), QPoint(60, 10)), 0x102030u);
  EXPECT_EQ(ShownColour(WidgetOf(field), QPoint(90, 12)), 0xFFFFFFu);
  SetControlColour(field, 0x0000FF);
  EXPECT_EQ(ShownColour(WidgetOf(field), QPoint(90, 12)), 0x0000FFu);
}
