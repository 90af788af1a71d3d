// Modal message boxes and the save-file dialog.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpacerItem>

#include <vector>

#include "toolkit/window_internals.h"

namespace {

constexpr int kAnswerNo = 7;

QWidget* DialogOwner() {
  toolkit::WindowRecord* window = toolkit::ActiveWindowRecord();
  return window == nullptr ? nullptr : window->frame;
}

// Room in a title bar beside the title: the window menu and the buttons, about two lines of
// text high each, and the frame's margins.
constexpr int kTitleBarExtraLines = 8;

// A box only as wide as its text makes window managers cut a longer title ("? So... ard ?").
// QMessageBox sizes itself from its layout, so the width is asked for by a spacer in it.
void MakeRoomForTitle(QMessageBox& box, const QString& title) {
  QFont titleFont = box.font();
  titleFont.setBold(true);
  const QFontMetrics metrics(titleFont);
  const int width = metrics.horizontalAdvance(title) + kTitleBarExtraLines * metrics.height();
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid != nullptr) {
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
}

int AskModal(const std::string& title, const std::string& text,
             QMessageBox::StandardButtons buttons) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text),
                  buttons, DialogOwner());
  box.setTextFormat(Qt::PlainText);
  MakeRoomForTitle(box, box.windowTitle());
  box.setWindowModality(Qt::ApplicationModal);
  return box.exec();
}

// A proposed name the user could not type as a file name is no proposal.
bool UsableFileName(const QString& name) {
  static const QString kForbidden = QStringLiteral("\"*/:<>?\\|");
  for (QChar character : name) {
    if (character.unicode() < 0x20 || character.unicode() == 0x7F ||
        kForbidden.contains(character)) {
      return false;
    }
  }
  return true;
}

// Several patterns in one filter are separated by ";" in the program's lists and by spaces in
// Qt's; "*.*" means every file, which in Qt is "*".
QString QtPatterns(const QString& patterns) {
  QStringList result;
  for (const QString& pattern : patterns.split(u';', Qt::SkipEmptyParts)) {
    const QString trimmed = pattern.trimmed();
    result << (trimmed == QStringLiteral("*.*") ? QStringLiteral("*") : trimmed);
  }
  return result.join(u' ');
}

// Each filter is "label (patterns)": Qt filters by the last parentheses and, with the details
// hidden, shows the label exactly as the program wrote it.
QStringList NameFilters(const std::string& patternList) {
  const QStringList parts = QString::fromStdString(patternList).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    filters << parts[i] + QStringLiteral(" (") + QtPatterns(parts[i + 1]) + u')';
  }
  return filters;
}

// Qt's dialog reads double-quote marks in the name field as separators of several names and
// would return "q" for `it's "q".wav`; the name is taken from the field itself instead, exactly
// as typed, in the folder the dialog shows.
QString ChosenPath(const QFileDialog& dialog) {
  const auto* nameField = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (nameField == nullptr) {
    return QString();
  }
  const QString typed = nameField->text();
  if (!typed.contains(u'"')) {
    const QStringList selected = dialog.selectedFiles();
    return selected.isEmpty() ? QString() : selected.constFirst();
  }
  if (typed.startsWith(u'/')) {
    return typed;
  }
  return dialog.directory().absolutePath() + u'/' + typed;
}

}  // namespace

void ShowMessage(const std::string& title, const std::string& text) {
  AskModal(title, text, QMessageBox::Ok);
}

int AskYesNo(const std::string& title, const std::string& text) {
  return AskModal(title, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes ? kAnswerYes
                                                                                       : kAnswerNo;
}

std::string AskSaveFileName(const std::string& title, const std::string& defaultPath,
                            const std::string& patterns, int patternIndex) {
  const QFileInfo proposal(QString::fromStdString(defaultPath));
  const QString name =
      defaultPath.empty() || defaultPath.back() == '/' ? QString() : proposal.fileName();
  QString folder = proposal.path();
  if (defaultPath.empty() || defaultPath.back() == '/') {
    folder = QString::fromStdString(defaultPath);
  }

  QFileDialog dialog(DialogOwner(), QString::fromStdString(title));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  // Qt's own dialog on every desktop: it is the one whose name field can be read as typed, and
  // a platform's dialog would keep a history of its own in the user's files.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setWindowModality(Qt::ApplicationModal);
  if (!folder.isEmpty()) {
    dialog.setDirectory(folder);
  }
  const QStringList filters = NameFilters(patterns);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    if (patternIndex >= 0 && patternIndex < filters.size()) {
      dialog.selectNameFilter(filters[patternIndex]);
    }
  }
  if (!name.isEmpty() && UsableFileName(name)) {
    dialog.selectFile(name);
  }
  if (dialog.exec() != QDialog::Accepted) {
    return std::string();
  }
  // The path is returned whole: a shortened one would name a place the user did not choose.
  return ChosenPath(dialog).toStdString();
}
