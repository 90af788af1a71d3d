// The canvas control: its own picture, a sunken edge and mouse, wheel, key and focus events.
#include <qdrawutil.h>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "toolkit/canvas_internals.h"
#include "toolkit/control_internals.h"
#include "toolkit/event_queue.h"
#include "toolkit/pointer_confinement.h"
#include "toolkit/toolkit_testing.h"

namespace toolkit {
namespace {

int ButtonBits(Qt::MouseButtons buttons) {
  int bits = 0;
  if (buttons & Qt::LeftButton) {
    bits |= kLeftButtonBit;
  }
  if (buttons & Qt::RightButton) {
    bits |= kRightButtonBit;
  }
  if (buttons & Qt::MiddleButton) {
    bits |= kMiddleButtonBit;
  }
  return bits;
}

EventSubtype PressSubtype(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return EventSubtype::LeftButtonDown;
    case Qt::RightButton: return EventSubtype::RightButtonDown;
    case Qt::MiddleButton: return EventSubtype::MiddleButtonDown;
    default: return EventSubtype::None;
  }
}

EventSubtype ReleaseSubtype(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return EventSubtype::LeftButtonUp;
    case Qt::RightButton: return EventSubtype::RightButtonUp;
    case Qt::MiddleButton: return EventSubtype::MiddleButtonUp;
    default: return EventSubtype::None;
  }
}

}  // namespace

Canvas::Canvas(QWidget* parent, int outerWidth, int outerHeight, unsigned options)
    : QWidget(parent),
      bordered_((options & kCanvasBorder) != 0),
      confinePointer_((options & kCanvasConfinePointer) != 0) {
  const int inset = 2 * borderWidth();
  picture_ = QImage(outerWidth - inset, outerHeight - inset, QImage::Format_RGB32);
  picture_.fill(Qt::white);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy((options & kCanvasKeyboardFocus) ? Qt::StrongFocus : Qt::NoFocus);
}

Canvas::~Canvas() { UnconfinePointer(this); }

void Canvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (bordered_) {
    qDrawWinPanel(&painter, rect(), palette(), true);
    // The keyboard focus shows on the edge's outer ring; the picture inside keeps every pixel.
    if (hasFocus()) {
      painter.setPen(palette().color(QPalette::Highlight));
      painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
  }
  painter.drawImage(borderWidth(), borderWidth(), picture_);
}

QPoint Canvas::InnerPosition(const QPointF& widgetPosition) const {
  return QPoint(int(std::floor(widgetPosition.x())) - borderWidth(),
                int(std::floor(widgetPosition.y())) - borderWidth());
}

bool Canvas::InsideInner(QPoint inner) const {
  return inner.x() >= 0 && inner.y() >= 0 && inner.x() < picture_.width() &&
         inner.y() < picture_.height();
}

QPoint Canvas::Confined(QPoint inner) const {
  if (!confinePointer_ || !dragging_) {
    return inner;
  }
  return QPoint(std::clamp(inner.x(), 0, picture_.width() - 1),
                std::clamp(inner.y(), 0, picture_.height() - 1));
}

void Canvas::Raise(EventSubtype subtype, QPoint inner, Qt::MouseButtons buttons) {
  QueuedEvent event;
  event.kind = EventKind::Control;
  event.object = RefOf(this);
  event.subtype = subtype;
  event.x = inner.x();
  event.y = inner.y();
  event.buttons = ButtonBits(buttons);
  PushEvent(event);
}

void Canvas::mousePressEvent(QMouseEvent* event) {
  const QPoint inner = InnerPosition(event->position());
  const EventSubtype subtype = PressSubtype(event->button());
  // The sunken edge is not part of the canvas: a press there is not the canvas's.
  if ((!InsideInner(inner) && !dragging_) || subtype == EventSubtype::None) {
    event->ignore();
    return;
  }
  // Held until the left button is released. Positions stay clamped by Confined as well, for
  // platforms where the pointer itself cannot be held.
  if (confinePointer_ && !dragging_ && event->button() == Qt::LeftButton) {
    ConfinePointer(this, picture_.rect().translated(borderWidth(), borderWidth()), Qt::LeftButton);
  }
  dragging_ = true;
  pointerInside_ = true;
  Raise(subtype, Confined(inner), event->buttons());
  if (focusPolicy() != Qt::NoFocus) {
    setFocus(Qt::MouseFocusReason);
  }
}

void Canvas::mouseReleaseEvent(QMouseEvent* event) {
  const EventSubtype subtype = ReleaseSubtype(event->button());
  if (!dragging_ || subtype == EventSubtype::None) {
    event->ignore();
    return;
  }
  const QPoint inner = Confined(InnerPosition(event->position()));
  dragging_ = event->buttons() != Qt::NoButton;
  Raise(subtype, inner, event->buttons());
}

void Canvas::mouseMoveEvent(QMouseEvent* event) {
  const QPoint inner = InnerPosition(event->position());
  if (dragging_) {
    Raise(EventSubtype::PointerMoved, Confined(inner), event->buttons());
    return;
  }
  if (!InsideInner(inner)) {
    if (pointerInside_) {
      pointerInside_ = false;
      Raise(EventSubtype::PointerLeft, inner, event->buttons());
    }
    return;
  }
  // The first movement over the picture announces the pointer instead of moving it.
  const EventSubtype subtype =
      pointerInside_ ? EventSubtype::PointerMoved : EventSubtype::PointerEntered;
  pointerInside_ = true;
  Raise(subtype, inner, event->buttons());
}

void Canvas::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (pointerInside_ && !dragging_) {
    pointerInside_ = false;
    Raise(EventSubtype::PointerLeft, QPoint(), Qt::NoButton);
  }
}

void Canvas::wheelEvent(QWheelEvent* event) {
  Raise(EventSubtype::Wheel, Confined(InnerPosition(event->position())), event->buttons());
}

void Canvas::keyPressEvent(QKeyEvent* event) {
  Raise(EventSubtype::KeyDown, QPoint(), Qt::NoButton);
  event->accept();
}

void Canvas::keyReleaseEvent(QKeyEvent* event) {
  Raise(EventSubtype::KeyUp, QPoint(), Qt::NoButton);
  event->accept();
}

void Canvas::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  UnconfinePointer(this);
}

void Canvas::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
  Raise(EventSubtype::Focus, QPoint(), Qt::NoButton);
}

void Canvas::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
  UnconfinePointer(this);
  Raise(EventSubtype::LostFocus, QPoint(), Qt::NoButton);
}

}  // namespace toolkit

using namespace toolkit;

namespace {

// The canvas's own event, or none when the event last taken came from elsewhere.
const QueuedEvent* OwnEvent(ObjectRef canvas) {
  const QueuedEvent& event = CurrentEvent();
  ControlRecord* record = nullptr;
  if (event.kind != EventKind::Control || event.object != canvas ||
      FindControl(canvas, &record) == nullptr || record->kind != ControlKind::Canvas) {
    return nullptr;
  }
  return &event;
}

}  // namespace

int CanvasPointerX(ObjectRef canvas) {
  const QueuedEvent* event = OwnEvent(canvas);
  return event == nullptr ? 0 : event->x;
}

int CanvasPointerY(ObjectRef canvas) {
  const QueuedEvent* event = OwnEvent(canvas);
  return event == nullptr ? 0 : event->y;
}

int CanvasButtons(ObjectRef canvas) {
  const QueuedEvent* event = OwnEvent(canvas);
  return event == nullptr ? 0 : event->buttons;
}
