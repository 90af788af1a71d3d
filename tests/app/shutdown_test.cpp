// The ways out of the program: Exit, a close request, and the fatal check. Each runs in a child
// process, because the way out ends the process.
#include <QApplication>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <cstdio>

#include "modal_answerer.h"
#include "running_program.h"

using namespace quorvel_test;

namespace {

QWidget* MainFrame() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible() && widget->windowTitle().toStdString() == WindowTitle(kMainWindow)) {
      return widget;
    }
  }
  return nullptr;
}

// Reports the box on stderr, where the parent can read it, then presses OK.
Answer ReportAndConfirm() {
  return [](QWidget* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    std::fprintf(stderr, "box [%s] [%s]\n", qPrintable(box->windowTitle()),
                 qPrintable(box->text()));
    PressButton("OK")(dialog);
  };
}

// The child is a fork of this process: re-running the test binary would not work for the 32-bit
// build, whose binaries only run through an emulator.
class ShutdownDeathTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "fast"); }
};

}  // namespace

TEST_F(ShutdownDeathTest, ExitCommandEndsWithCodeZero) {
  EXPECT_EXIT(ChooseMenuCommand(kCommandExit), ::testing::ExitedWithCode(0), "");
}

TEST_F(ShutdownDeathTest, CloseRequestOfTheForegroundWindowEndsWithCodeZero) {
  EXPECT_EXIT(
      {
        if (ActiveWindow() == kMainWindow) {
          MainFrame()->close();
          DispatchQueuedEvents();
        }
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(ShutdownDeathTest, FailedStepShowsWhatFailedThenEndsWithCodeZero) {
  EXPECT_EXIT(WithAnswers({ReportAndConfirm()}, [] { CheckOrDie(0, "OpenWindow"); }),
              ::testing::ExitedWithCode(0),
              "box \\[Quorvel cannot start\\] \\[The main window could not be opened.\\]");
  EXPECT_EXIT(WithAnswers({ReportAndConfirm()}, [] { CheckOrDie(0, "InitSound"); }),
              ::testing::ExitedWithCode(0),
              "box \\[\\? Soundcard \\?\\] \\[Soundcard not present\\]");
}

TEST(CheckOrDie, PassesASuccessfulResultThrough) { EXPECT_EQ(CheckOrDie(42, "OpenWindow"), 42); }

TEST(CloseRequest, IgnoredWhileAnotherWindowIsInFront) {
  QWidget* frame = MainFrame();
  ASSERT_NE(frame, nullptr);
  QWidget other;
  other.show();
  QApplication::setActiveWindow(&other);
  ASSERT_EQ(ActiveWindow(), -1);

  frame->close();
  ASSERT_EQ(TakeEvent(), EventKind::CloseRequest);
  DispatchEvent(EventKind::CloseRequest);  // would end this test process if it were accepted

  EXPECT_TRUE(frame->isVisible());
  QApplication::setActiveWindow(frame);
  EXPECT_EQ(ActiveWindow(), kMainWindow);
}
