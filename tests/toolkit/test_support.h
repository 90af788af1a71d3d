// Helpers for the toolkit's tests: they reach behind the opaque references, which only tests may.
#pragma once

#include <QApplication>
#include <QWidget>

#include <vector>

#include "toolkit/toolkit.h"
#include "toolkit/toolkit_testing.h"

template <typename T = QWidget>
T* WidgetOf(ObjectRef reference) {
  return dynamic_cast<T*>(reinterpret_cast<QWidget*>(reference));
}

struct TakenEvent {
  EventKind kind;
  ObjectRef object;
  EventSubtype subtype;
};

// Everything queued so far, in order.
inline std::vector<TakenEvent> TakeAllEvents() {
  std::vector<TakenEvent> events;
  for (EventKind kind = TakeEvent(); kind != EventKind::None; kind = TakeEvent()) {
    events.push_back(TakenEvent{kind, EventObject(), EventType()});
  }
  return events;
}

// A window like the program's, active and with nothing queued.
inline ObjectRef OpenActiveWindow(int number, int width = 350, int height = 379) {
  const ObjectRef handle = OpenWindow(number, 50, 50, width, height, "Test window",
                                      kWindowTitleBar | kWindowSystemMenu | kWindowMinimiseButton);
  if (QWidget* frame = WidgetOf(handle)) {
    frame->activateWindow();
    QApplication::processEvents();
  }
  TakeAllEvents();
  return handle;
}
