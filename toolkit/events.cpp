// One first-in first-out queue of program events, fed from Qt's event handlers and signals.
#include <QCoreApplication>
#include <QEventLoop>

#include <deque>

#include "toolkit/event_queue.h"

namespace toolkit {
namespace {

std::deque<QueuedEvent> queue;
QueuedEvent current;

EventKind TakeFront() {
  current = queue.front();
  queue.pop_front();
  return current.kind;
}

}  // namespace

void PushEvent(const QueuedEvent& event) { queue.push_back(event); }

void PushControlEvent(QWidget* control, EventSubtype subtype) {
  QueuedEvent event;
  event.kind = EventKind::Control;
  event.object = RefOf(control);
  event.subtype = subtype;
  PushEvent(event);
}

void PushCommandEvent(int identifier) {
  QueuedEvent event;
  event.kind = EventKind::Command;
  event.object = identifier;
  PushEvent(event);
}

const QueuedEvent& CurrentEvent() { return current; }

void ReleaseEvents() {
  queue.clear();
  current = QueuedEvent();
}

}  // namespace toolkit

using namespace toolkit;

EventKind WaitForEvent() {
  if (QCoreApplication::instance() == nullptr) {
    return EventKind::None;
  }
  // Qt's own pending work (painting, shortcuts, focus moves) runs before the next event is taken.
  QCoreApplication::processEvents();
  while (queue.empty()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return TakeFront();
}

EventKind TakeEvent() {
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::processEvents();
  }
  if (queue.empty()) {
    current = QueuedEvent();
    return EventKind::None;
  }
  return TakeFront();
}

ObjectRef EventObject() { return current.object; }

EventSubtype EventType() { return current.subtype; }
