// Keyboard shortcuts of a window, raising command events.
#include <QShortcut>

#include "toolkit/event_queue.h"
#include "toolkit/window_internals.h"

namespace {

void AddShortcut(QWidget* window, QKeySequence keys, int identifier) {
  auto* shortcut = new QShortcut(keys, window);
  shortcut->setContext(Qt::WindowShortcut);
  shortcut->setAutoRepeat(false);
  QObject::connect(shortcut, &QShortcut::activated, shortcut,
                   [identifier] { toolkit::PushCommandEvent(identifier); });
}

}  // namespace

void AddKeyboardShortcut(int window, ShortcutKey key, int identifier) {
  toolkit::WindowRecord* record = toolkit::FindWindow(window);
  if (record == nullptr) {
    return;
  }
  switch (key) {
    case ShortcutKey::F1: AddShortcut(record->frame, QKeySequence(Qt::Key_F1), identifier); break;
    case ShortcutKey::Return:
      // The keypad's Enter is the same key to the user; both are taken so no control sees them.
      AddShortcut(record->frame, QKeySequence(Qt::Key_Return), identifier);
      AddShortcut(record->frame, QKeySequence(Qt::KeypadModifier | Qt::Key_Enter), identifier);
      break;
  }
}
