#include "modal_answerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <deque>

namespace quorvel_test {
namespace {

constexpr int kPollMilliseconds = 5;

SeenDialog Describe(QWidget* dialog) {
  SeenDialog seen;
  seen.title = dialog->windowTitle().toStdString();
  if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
    seen.kind = "message";
    seen.text = box->text().toStdString();
  } else if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
    seen.kind = "file";
    if (auto* name = files->findChild<QLineEdit*>("fileNameEdit")) {
      seen.text = name->text().toStdString();
    }
    // What the user reads in the type list, not Qt's filter string behind it.
    if (auto* types = files->findChild<QComboBox*>("fileTypeCombo")) {
      seen.filter = types->currentText().toStdString();
    }
  } else {
    seen.kind = dialog->metaObject()->className();
  }
  return seen;
}

}  // namespace

Answer PressButton(const std::string& buttonText) {
  return [buttonText](QWidget* dialog) {
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
      if (button->text().remove('&').toStdString() == buttonText) {
        button->click();
        return;
      }
    }
    // No such button: close it, and the test sees an answer it did not ask for.
    static_cast<QDialog*>(dialog)->reject();
  };
}

Answer ChooseFile(const std::string& path) {
  return [path](QWidget* dialog) {
    auto* files = qobject_cast<QFileDialog*>(dialog);
    if (files == nullptr) {
      static_cast<QDialog*>(dialog)->reject();
      return;
    }
    // Typed as a user types a full path into the name field.
    auto* name = files->findChild<QLineEdit*>("fileNameEdit");
    if (name == nullptr) {
      files->reject();
      return;
    }
    name->setText(QString::fromStdString(path));
    // QFileDialog::accept would open a folder typed here instead of returning it; the plain
    // acceptance returns whatever was typed, which is what the save command must cope with.
    files->QDialog::accept();
  };
}

Answer CancelDialog() {
  return [](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); };
}

std::vector<SeenDialog> WithAnswers(const std::vector<Answer>& answers,
                                    const std::function<void()>& action) {
  std::vector<SeenDialog> seen;
  std::deque<Answer> pending(answers.begin(), answers.end());
  QPointer<QWidget> answered;
  QTimer poll;
  poll.setInterval(kPollMilliseconds);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || dialog == answered.data() || !dialog->isVisible()) return;
    answered = dialog;
    seen.push_back(Describe(dialog));
    if (pending.empty()) {
      static_cast<QDialog*>(dialog)->reject();
      return;
    }
    const Answer answer = pending.front();
    pending.pop_front();
    answer(dialog);
  });
  poll.start();
  action();
  poll.stop();
  return seen;
}

}  // namespace quorvel_test
