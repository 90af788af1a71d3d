// Answers the next modal dialog from inside its own event loop, as a user would.
#pragma once

#include <QApplication>
#include <QTimer>

#include <functional>

// Looks for the modal dialog until it shows, then hands it to `answer`.
inline void AnswerNextModal(std::function<void(QWidget*)> answer) {
  auto* poll = new QTimer(QApplication::instance());
  QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      poll->stop();
      poll->deleteLater();
      answer(modal);
    }
  });
  poll->start(1);
}
