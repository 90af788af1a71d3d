// The window, its menu bar, status bar and shortcuts, and the events they raise.
#include <gtest/gtest.h>

#include <QAction>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "tests/toolkit/test_support.h"

namespace {

constexpr int kWindow = 0;
constexpr int kMenu = 0;
constexpr unsigned kProgramStyle = kWindowTitleBar | kWindowSystemMenu | kWindowMinimiseButton;

QMenuBar* MenuBarOf(ObjectRef window) { return WidgetOf(window)->findChild<QMenuBar*>(); }

// The program's menu: two items on a title, then two nested submenus under another title.
void BuildSampleMenu(ObjectRef window) {
  ASSERT_NE(CreateMenuBar(kMenu, window), 0);
  AddMenuTitle("File");
  AddMenuItem(9, "Save Rendering Shape (Wav)");
  AddMenuItem(11, "Exit");
  AddMenuTitle("Options");
  OpenSubMenu("channels");
  AddMenuItem(0, "mono");
  AddMenuItem(1, "stereo");
  CloseSubMenu();
  OpenSubMenu("sample rate");
  AddMenuItem(7, "44100 Hz");
  CloseSubMenu();
  AddMenuItem(40, "after the submenus");
}

QStringList Labels(const QList<QAction*>& actions) {
  QStringList labels;
  for (QAction* action : actions) {
    labels << action->text();
  }
  return labels;
}

}  // namespace

TEST(Window, OpensFixedSizedAtItsPlaceWithTitleIconAndNoMaximiseButton) {
  const ObjectRef handle =
      OpenWindow(kWindow, 50, 60, 350, 379, "Quorvel 64 - Tenbrisk Audio", kProgramStyle);
  ASSERT_NE(handle, 0);
  EXPECT_EQ(WindowHandle(kWindow), handle);
  EXPECT_EQ(WindowHandle(5), 0);

  QWidget* frame = WidgetOf(handle);
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->isWindow());
  EXPECT_TRUE(frame->isVisible());
  EXPECT_EQ(frame->frameGeometry().topLeft(), QPoint(50, 60));
  EXPECT_EQ(frame->minimumSize(), QSize(350, 379));
  EXPECT_EQ(frame->maximumSize(), QSize(350, 379));
  const Qt::WindowFlags flags = frame->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(WindowTitle(kWindow), "Quorvel 64 - Tenbrisk Audio");
  EXPECT_EQ(WindowClientWidth(kWindow), 350);
  EXPECT_EQ(WindowClientHeight(kWindow), 379);

  const QList<QSize> iconSizes = frame->windowIcon().availableSizes();
  for (int size : {16, 32, 48, 64, 128, 256}) {
    EXPECT_TRUE(iconSizes.contains(QSize(size, size))) << size;
  }
  EXPECT_EQ(QApplication::windowIcon().availableSizes(), iconSizes);
}

// A decoration or a compositor may still ask for it; the frame keeps its size and state.
TEST(Window, RefusesToBeMaximisedOrMadeFullScreen) {
  const ObjectRef handle = OpenWindow(kWindow, 50, 60, 350, 379, "Quorvel", kProgramStyle);
  QWidget* frame = WidgetOf(handle);
  for (Qt::WindowState state : {Qt::WindowMaximized, Qt::WindowFullScreen}) {
    frame->setWindowState(state);
    QTest::qWait(50);
    EXPECT_EQ(frame->windowState(), Qt::WindowNoState) << state;
    EXPECT_EQ(frame->size(), QSize(350, 379)) << state;
  }
  // Minimising stays the user's choice.
  frame->setWindowState(Qt::WindowMinimized);
  QTest::qWait(50);
  EXPECT_EQ(frame->windowState(), Qt::WindowMinimized);
}

TEST(Window, MenuBarTakesItsHeightFromTheClientArea) {
  ASSERT_GT(MenuBarHeight(), 0);
  const ObjectRef window =
      OpenWindow(kWindow, 50, 50, 350, 379 + MenuBarHeight(), "Menu", kProgramStyle);
  const ObjectRef status = CreateStatusBar(window);
  ASSERT_NE(status, 0);
  ASSERT_NE(CreateMenuBar(kMenu, window), 0);
  EXPECT_EQ(CreateMenuBar(1, window), 0) << "a window has one menu bar";
  EXPECT_EQ(CreateMenuBar(2, 12345), 0);

  EXPECT_EQ(WindowClientWidth(kWindow), 350);
  EXPECT_EQ(WindowClientHeight(kWindow), 379);
  QMenuBar* bar = MenuBarOf(window);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->geometry(), QRect(0, 0, 350, MenuBarHeight()));

  // The status bar moved down with the bottom of the client area.
  QWidget* statusBar = WidgetOf(status);
  EXPECT_EQ(statusBar->geometry().bottom(), 379 - 1);
  EXPECT_EQ(statusBar->mapTo(WidgetOf(window), QPoint(0, 0)).y() + statusBar->height(),
            379 + MenuBarHeight());
}

TEST(Window, MenusNestAndItemsRaiseTheirCommandWithoutTouchingCheckMarks) {
  const ObjectRef window = OpenActiveWindow(kWindow);
  BuildSampleMenu(window);

  QMenuBar* bar = MenuBarOf(window);
  const QList<QAction*> titles = bar->actions();
  ASSERT_EQ(Labels(titles), QStringList({"File", "Options"}));
  EXPECT_EQ(Labels(titles[0]->menu()->actions()),
            QStringList({"Save Rendering Shape (Wav)", "Exit"}));
  const QList<QAction*> options = titles[1]->menu()->actions();
  ASSERT_EQ(Labels(options), QStringList({"channels", "sample rate", "after the submenus"}));
  EXPECT_EQ(Labels(options[0]->menu()->actions()), QStringList({"mono", "stereo"}));
  EXPECT_EQ(Labels(options[1]->menu()->actions()), QStringList({"44100 Hz"}));

  SetMenuItemChecked(kMenu, 0, true);
  EXPECT_TRUE(MenuItemChecked(kMenu, 0));
  EXPECT_FALSE(MenuItemChecked(kMenu, 1));
  EXPECT_FALSE(MenuItemChecked(kMenu, 99));

  // As the user chooses them: the checked item stays checked, the unchecked one unchecked.
  TriggerMenuItem(kMenu, 0);
  options[0]->menu()->actions()[1]->trigger();
  TriggerMenuItem(kMenu, 11);
  EXPECT_TRUE(MenuItemChecked(kMenu, 0));
  EXPECT_FALSE(MenuItemChecked(kMenu, 1));

  const std::vector<TakenEvent> events = TakeAllEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].kind, EventKind::Command);
  EXPECT_EQ(events[0].object, 0);
  EXPECT_EQ(events[1].kind, EventKind::Command);
  EXPECT_EQ(events[1].object, 1);
  EXPECT_EQ(events[2].object, 11);

  SetMenuItemChecked(kMenu, 0, false);
  SetMenuItemChecked(kMenu, 1, true);
  EXPECT_FALSE(MenuItemChecked(kMenu, 0));
  EXPECT_TRUE(MenuItemChecked(kMenu, 1));
}

TEST(Window, StatusBarSplitsIntoEqualThirdsAlongTheBottomAndHoldsTexts) {
  const ObjectRef window = OpenActiveWindow(kWindow);
  const ObjectRef bar = CreateStatusBar(window);
  ASSERT_NE(bar, 0);
  for (int field = 0; field < 3; ++field) {
    AddStatusBarField(kKeepValue);
  }
  const int width = StatusBarFieldWidth(bar, 0);
  EXPECT_EQ(StatusBarFieldWidth(bar, 1), width);
  EXPECT_EQ(StatusBarFieldWidth(bar, 2), width);
  EXPECT_EQ(width, 350 / 3);
  EXPECT_EQ(StatusBarFieldWidth(bar, 3), 0);

  QWidget* strip = WidgetOf(bar);
  EXPECT_GE(strip->height(), 18);
  EXPECT_EQ(strip->geometry(), QRect(0, 379 - strip->height(), 350, strip->height()));

  SetStatusBarText(bar, 0, "44100 Hz");
  SetStatusBarText(bar, 1, "Mono");
  SetStatusBarText(bar, 2, "16 bits");
  SetStatusBarText(bar, 3, "nowhere");
  SetStatusBarText(bar + 1, 0, "not a status bar");
  EXPECT_EQ(StatusBarText(bar, 0), "44100 Hz");
  EXPECT_EQ(StatusBarText(bar, 1), "Mono");
  EXPECT_EQ(StatusBarText(bar, 2), "16 bits");
  EXPECT_EQ(StatusBarText(bar, 3), "");
}

TEST(Window, StatusBarGivesFixedFieldsTheirWidthAndSharesTheRest) {
  const ObjectRef window = OpenActiveWindow(kWindow, 300);
  const ObjectRef bar = CreateStatusBar(window);
  AddStatusBarField(100);
  AddStatusBarField(kKeepValue);
  AddStatusBarField(kKeepValue);
  EXPECT_EQ(StatusBarFieldWidth(bar, 0), 100);
  EXPECT_EQ(StatusBarFieldWidth(bar, 1), 100);
  EXPECT_EQ(StatusBarFieldWidth(bar, 2), 100);
}

TEST(Window, ShortcutsRaiseCommandsAndReturnReachesNoControl) {
  const ObjectRef window = OpenActiveWindow(kWindow);
  AddKeyboardShortcut(kWindow, ShortcutKey::F1, 29);
  AddKeyboardShortcut(kWindow, ShortcutKey::Return, 30);
  const ObjectRef field = CreateTextField(10, 10, 100, 25, "997", kTextBorderless);
  auto* edit = WidgetOf<QLineEdit>(field);
  edit->setFocus();
  QSignalSpy returnPressed(edit, &QLineEdit::returnPressed);
  TakeAllEvents();

  QTest::keyClick(edit, Qt::Key_Return);
  QTest::keyClick(edit, Qt::Key_F1);
  QTest::keyClick(WidgetOf(window), Qt::Key_F1);
  QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);

  EXPECT_EQ(returnPressed.count(), 0);
  const std::vector<TakenEvent> events = TakeAllEvents();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].kind, EventKind::Command);
  EXPECT_EQ(events[0].object, 30);
  EXPECT_EQ(events[1].object, 29);
  EXPECT_EQ(events[2].object, 29);
  EXPECT_EQ(events[3].object, 30);
}

TEST(Window, TabAndShiftTabMoveTheFocus) {
  OpenActiveWindow(kWindow);
  auto* first = WidgetOf(CreateTextField(10, 10, 100, 25, "a", 0));
  auto* second = WidgetOf(CreateButton(10, 40, 100, 25, "b"));
  auto* third = WidgetOf(CreateTextField(10, 70, 100, 25, "c", 0));
  first->setFocus();
  QTest::keyClick(first, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), second);
  QTest::keyClick(second, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), third);
  QTest::keyClick(third, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), second);
}

TEST(Window, CloseRequestIsQueuedAndTheWindowStays) {
  const ObjectRef window = OpenActiveWindow(3);
  EXPECT_FALSE(WidgetOf(window)->close());
  EXPECT_TRUE(WidgetOf(window)->isVisible());
  const std::vector<TakenEvent> events = TakeAllEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, EventKind::CloseRequest);
  EXPECT_EQ(events[0].object, 3);
}

TEST(Window, ActiveWindowNamesOnlyTheProgramsOwnWindows) {
  OpenActiveWindow(kWindow);
  EXPECT_EQ(ActiveWindow(), kWindow);

  QWidget stranger;
  stranger.show();
  stranger.activateWindow();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::activeWindow(), &stranger);
  EXPECT_EQ(ActiveWindow(), -1);
}

TEST(Window, WaitForEventBlocksUntilSomethingIsQueued) {
  const ObjectRef window = OpenActiveWindow(kWindow);
  BuildSampleMenu(window);
  QTimer::singleShot(0, [] { TriggerMenuItem(kMenu, 7); });
  EXPECT_EQ(WaitForEvent(), EventKind::Command);
  EXPECT_EQ(EventObject(), 7);
  EXPECT_EQ(EventType(), EventSubtype::None);
  EXPECT_EQ(TakeEvent(), EventKind::None);
}

TEST(Window, DrawingOnTheClientAreaReadsWhatTheWindowShows) {
  const ObjectRef window = OpenActiveWindow(kWindow);
  CreateMenuBar(kMenu, window);
  SetWindowColour(kWindow, 0xF0F0F0);
  ASSERT_NE(StartDrawingOnWindow(kWindow), 0);
  EXPECT_EQ(PixelColour(10, 10), 0xF0F0F0u);
  FillRectangle(5, 6, 20, 10, 0x0000FF);
  EXPECT_EQ(PixelColour(5, 6), 0x0000FFu);
  EXPECT_EQ(PixelColour(24, 15), 0x0000FFu);
  EXPECT_EQ(PixelColour(25, 15), 0xF0F0F0u);
  StopDrawing();

  // What was drawn stays on the window; a new background colour paints over it.
  ASSERT_NE(StartDrawingOnWindow(kWindow), 0);
  EXPECT_EQ(PixelColour(10, 10), 0x0000FFu);
  StopDrawing();
  SetWindowColour(kWindow, 0x336699);
  ASSERT_NE(StartDrawingOnWindow(kWindow), 0);
  EXPECT_EQ(PixelColour(10, 10), 0x336699u);
  StopDrawing();

  EXPECT_EQ(StartDrawingOnWindow(8), 0);
}

TEST(Window, OpeningANumberAgainReplacesTheWindowAndForgetsWhatItHeld) {
  const ObjectRef first = OpenActiveWindow(kWindow);
  BuildSampleMenu(first);
  SetMenuItemChecked(kMenu, 0, true);
  const ObjectRef button = CreateButton(0, 0, 50, 20, "old");
  const ObjectRef panel = CreatePanel(0, 30, 100, 100);

  const ObjectRef second = OpenActiveWindow(kWindow);
  ASSERT_NE(second, 0);
  EXPECT_EQ(WindowHandle(kWindow), second);
  EXPECT_EQ(ControlWidth(button), 0);
  EXPECT_EQ(ControlText(button), "");
  EXPECT_FALSE(MenuItemChecked(kMenu, 0));
  TriggerMenuItem(kMenu, 9);
  AddMenuItem(12, "into a menu that went away");
  EXPECT_EQ(TakeEvent(), EventKind::None);

  // The closed panel no longer takes new controls: they go into the new window.
  const ObjectRef fresh = CreateButton(5, 5, 50, 20, "new");
  EXPECT_EQ(WidgetOf(fresh)->window(), WidgetOf(second));
  EXPECT_NE(WidgetOf(fresh)->parentWidget(), reinterpret_cast<QWidget*>(panel));
}
