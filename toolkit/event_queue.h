// The queue of events the program takes one by one. Only toolkit/ includes this header.
#pragma once

#include "toolkit/plain_internals.h"
#include "toolkit/toolkit.h"

class QWidget;

namespace toolkit {

struct QueuedEvent {
  EventKind kind = EventKind::None;
  ObjectRef object = 0;
  EventSubtype subtype = EventSubtype::None;
  int x = 0;
  int y = 0;
  int buttons = 0;
};

void PushEvent(const QueuedEvent& event);
void PushControlEvent(QWidget* control, EventSubtype subtype);
void PushCommandEvent(int identifier);
// The event last taken by the program.
const QueuedEvent& CurrentEvent();
void ReleaseEvents();

}  // namespace toolkit
