// Message boxes and the save-file dialog, answered while they are open.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <string>

#include <unistd.h>

#include "tests/toolkit/modal_answer.h"
#include "tests/toolkit/test_support.h"

namespace {

constexpr int kWindow = 0;
const std::string kPatterns = "Audio (*.wav)|*.wav|All files (*.*)|*.*";

struct SeenBox {
  QString title;
  QString text;
  QList<QAbstractButton*> buttons;
  QWidget* owner = nullptr;
};

// Answers a message box with the given button and records what it showed.
void PressInNextBox(QMessageBox::StandardButton button, SeenBox& seen) {
  AnswerNextModal([button, &seen](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    seen = SeenBox{box->windowTitle(), box->text(), box->buttons(), box->parentWidget()};
    box->button(button)->click();
  });
}

struct SeenDialog {
  QString title;
  QString directory;
  QString proposedName;
  QStringList shownFilters;
  QStringList patterns;
  QWidget* owner = nullptr;
};

QFileDialog* AsFileDialog(QWidget* modal) {
  auto* dialog = qobject_cast<QFileDialog*>(modal);
  EXPECT_NE(dialog, nullptr);
  return dialog;
}

SeenDialog Look(QFileDialog* dialog) {
  SeenDialog seen;
  seen.title = dialog->windowTitle();
  seen.directory = dialog->directory().absolutePath();
  seen.proposedName = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
  auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  for (int i = 0; i < types->count(); ++i) {
    seen.shownFilters << types->itemText(i);
  }
  seen.patterns = dialog->findChild<QFileSystemModel*>()->nameFilters();
  seen.owner = dialog->parentWidget();
  return seen;
}

// Looks at the dialog, then types `name` and accepts, or cancels when name is empty.
void AnswerSaveDialog(const QString& name, SeenDialog& seen) {
  AnswerNextModal([name, &seen](QWidget* modal) {
    QFileDialog* dialog = AsFileDialog(modal);
    ASSERT_NE(dialog, nullptr);
    seen = Look(dialog);
    if (name.isEmpty()) {
      dialog->reject();
      return;
    }
    // An overwrite question of the dialog's own would open on top of it: fail and close it.
    auto* watch = new QTimer(dialog);
    QObject::connect(watch, &QTimer::timeout, watch, [dialog] {
      QWidget* top = QApplication::activeModalWidget();
      if (top != nullptr && top != dialog) {
        ADD_FAILURE() << "the dialog asked a question of its own";
        top->close();
      }
    });
    watch->start(1);
    dialog->selectFile(name);
    static_cast<QDialog*>(dialog)->accept();
  });
}

void Touch(const QString& path) { std::ofstream(path.toStdString()) << "x"; }

std::string CurrentDirectory() {
  char buffer[4096];
  return ::getcwd(buffer, sizeof buffer) == nullptr ? std::string() : std::string(buffer);
}

}  // namespace

TEST(Dialogs, MessageBoxShowsOneOkButtonAndBelongsToTheActiveWindow) {
  const ObjectRef window = OpenActiveWindow(kWindow);
  SeenBox seen;
  PressInNextBox(QMessageBox::Ok, seen);
  ShowMessage("Please", "First make a shape rendering");
  EXPECT_EQ(seen.title, "Please");
  EXPECT_EQ(seen.text, "First make a shape rendering");
  EXPECT_EQ(seen.buttons.size(), 1);
  EXPECT_EQ(seen.owner, WidgetOf(window));
}

TEST(Dialogs, MessageBoxWithoutAnActiveWindowOfTheProgramHasNoOwner) {
  OpenActiveWindow(kWindow);
  QWidget stranger;
  stranger.show();
  stranger.activateWindow();
  QApplication::processEvents();
  ASSERT_EQ(ActiveWindow(), -1);
  SeenBox seen;
  PressInNextBox(QMessageBox::Ok, seen);
  ShowMessage("? Soundcard ?", "Soundcard not present");
  EXPECT_EQ(seen.title, "? Soundcard ?");
  EXPECT_EQ(seen.text, "Soundcard not present");
  EXPECT_EQ(seen.owner, nullptr);
}

TEST(Dialogs, YesNoAnswersSixOnlyForYes) {
  OpenActiveWindow(kWindow);
  SeenBox seen;
  PressInNextBox(QMessageBox::Yes, seen);
  EXPECT_EQ(AskYesNo("File Overwrite", "Overwrite it ?"), kAnswerYes);
  EXPECT_EQ(seen.title, "File Overwrite");
  EXPECT_EQ(seen.text, "Overwrite it ?");
  EXPECT_EQ(seen.buttons.size(), 2);

  PressInNextBox(QMessageBox::No, seen);
  EXPECT_NE(AskYesNo("File Overwrite", "Overwrite it ?"), kAnswerYes);

  AnswerNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_NE(AskYesNo("File Overwrite", "Overwrite it ?"), kAnswerYes);
}

TEST(Dialogs, SaveDialogStartsInTheFolderWithTheNameAndTheFirstFilter) {
  const ObjectRef window = OpenActiveWindow(kWindow);
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  Touch(folder.filePath("kept.wav"));
  const std::string before = CurrentDirectory();

  SeenDialog seen;
  AnswerSaveDialog(QStringLiteral("rorovoraderuz.wav"), seen);
  const std::string chosen =
      AskSaveFileName("Save Wav", folder.filePath("rorovoraderuz.wav").toStdString(), kPatterns, 0);

  EXPECT_EQ(chosen, folder.filePath("rorovoraderuz.wav").toStdString());
  EXPECT_EQ(seen.title, "Save Wav");
  EXPECT_EQ(seen.directory, QDir(folder.path()).absolutePath());
  EXPECT_EQ(seen.proposedName, "rorovoraderuz.wav");
  EXPECT_EQ(seen.shownFilters, QStringList({"Audio (*.wav)", "All files (*.*)"}));
  EXPECT_EQ(seen.patterns, QStringList({"*.wav"}));
  EXPECT_EQ(seen.owner, WidgetOf(window));
  EXPECT_EQ(CurrentDirectory(), before);
}

TEST(Dialogs, SaveDialogSecondFilterShowsEveryFile) {
  OpenActiveWindow(kWindow);
  QTemporaryDir folder;
  SeenDialog seen;
  AnswerSaveDialog(QString(), seen);
  AskSaveFileName("Save Wav", folder.filePath("a.wav").toStdString(), kPatterns, 1);
  EXPECT_EQ(seen.patterns, QStringList({"*"}));
}

TEST(Dialogs, SaveDialogCancelledGivesAnEmptyPath) {
  OpenActiveWindow(kWindow);
  QTemporaryDir folder;
  SeenDialog seen;
  AnswerSaveDialog(QString(), seen);
  EXPECT_EQ(AskSaveFileName("Save Wav", folder.filePath("a.wav").toStdString(), kPatterns, 0), "");
  EXPECT_EQ(seen.title, "Save Wav");
}

TEST(Dialogs, SaveDialogDropsAProposedNameNobodyCouldType) {
  OpenActiveWindow(kWindow);
  QTemporaryDir folder;
  for (const char* name : {"a*b.wav", "a?b.wav", "a\"b.wav", "a<b.wav", "a>b.wav", "a|b.wav",
                           "a:b.wav", "a\\b.wav", "a\tb.wav"}) {
    SeenDialog seen;
    AnswerSaveDialog(QString(), seen);
    AskSaveFileName("Save Wav", folder.filePath(name).toStdString(), kPatterns, 0);
    EXPECT_EQ(seen.proposedName, "") << name;
    EXPECT_EQ(seen.directory, QDir(folder.path()).absolutePath()) << name;
  }
}

TEST(Dialogs, SaveDialogAsksNothingAboutAnExistingFile) {
  OpenActiveWindow(kWindow);
  QTemporaryDir folder;
  Touch(folder.filePath("taken.wav"));
  SeenDialog seen;
  AnswerSaveDialog(QStringLiteral("taken.wav"), seen);
  EXPECT_EQ(AskSaveFileName("Save Wav", folder.filePath("x.wav").toStdString(), kPatterns, 0),
            folder.filePath("taken.wav").toStdString());
}

TEST(Dialogs, SaveDialogReturnsALongPathWhole) {
  OpenActiveWindow(kWindow);
  QTemporaryDir folder;
  QString deep = folder.path();
  while (deep.size() < 300) {
    deep += QStringLiteral("/a_rather_long_folder_name_for_the_path");
  }
  ASSERT_TRUE(QDir().mkpath(deep));
  const QString target = deep + QStringLiteral("/rorovoraderuz.wav");
  ASSERT_GT(target.size(), 259);

  SeenDialog seen;
  AnswerSaveDialog(QStringLiteral("rorovoraderuz.wav"), seen);
  EXPECT_EQ(AskSaveFileName("Save Wav", target.toStdString(), kPatterns, 0), target.toStdString());
}
