// Pointer confinement through Qt's own xcb connection: an active pointer grab whose confine-to
// window is an input-only child of the top-level window, laid exactly over the area.
#include "toolkit/pointer_confinement.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <cstdint>
#include <cstdlib>

#include "toolkit/canvas_internals.h"

namespace toolkit {
namespace {

// Reported to the grab window only while the pointer is over none of the program's windows, which
// confinement rules out; without it they follow the drag outside, as the press's own grab did.
constexpr std::uint32_t kGrabbedEvents =
    XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;

// There is one pointer, so at most one grab.
struct PointerGrab {
  xcb_connection_t* connection = nullptr;  // none while nothing is grabbed
  xcb_window_t topWindow = XCB_WINDOW_NONE;
  Qt::MouseButton button = Qt::NoButton;
  const QWidget* owner = nullptr;  // none once the pointer may leave
  xcb_window_t areaWindow = XCB_WINDOW_NONE;
  QMetaObject::Connection focusWatch;
};

PointerGrab grab;

void Unconfine();

// Sees every release, whichever widget or window it goes to, so the grab cannot outlive the drag.
class ReleaseWatch : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonRelease) {
      return false;
    }
    const Qt::MouseButtons held = static_cast<const QMouseEvent*>(event)->buttons();
    if (held == Qt::NoButton) {
      ReleasePointerConfinement();
    } else if (!(held & grab.button)) {
      Unconfine();
    }
    return false;
  }
};

ReleaseWatch releaseWatch;

// None on every platform but xcb (offscreen, Wayland).
xcb_connection_t* XConnection() {
  const auto* x11 =
      qGuiApp == nullptr ? nullptr : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 == nullptr ? nullptr : x11->connection();
}

// The area in the native pixels of the top-level window, which differ under a scale factor.
QRect NativeAreaInTopLevel(const QWidget* owner, const QRect& area) {
  const QWidget* top = owner->window();
  const qreal ratio = top->devicePixelRatioF();
  const QPoint origin = owner->mapTo(top, area.topLeft());
  return QRect(qRound(origin.x() * ratio), qRound(origin.y() * ratio), qRound(area.width() * ratio),
               qRound(area.height() * ratio));
}

// An input-only window is never drawn: what is shown under it stays exactly as it was. It selects
// no events, so they go on to the top-level window as before.
xcb_window_t MapAreaWindow(xcb_connection_t* connection, xcb_window_t parent, const QRect& area) {
  const xcb_window_t window = xcb_generate_id(connection);
  xcb_create_window(connection, 0, window, parent, std::int16_t(area.x()), std::int16_t(area.y()),
                    std::uint16_t(area.width()), std::uint16_t(area.height()), 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  xcb_map_window(connection, window);
  return window;
}

void DestroyAreaWindow() {
  if (grab.areaWindow != XCB_WINDOW_NONE) {
    xcb_destroy_window(grab.connection, grab.areaWindow);
    grab.areaWindow = XCB_WINDOW_NONE;
  }
}

// With owner events the program's windows keep receiving what Qt selected on them, XInput2
// events included, exactly as without the grab. A grab held already is replaced.
bool GrabPointer(xcb_window_t confineTo) {
  const xcb_grab_pointer_cookie_t cookie =
      xcb_grab_pointer(grab.connection, 1, grab.topWindow, kGrabbedEvents, XCB_GRAB_MODE_ASYNC,
                       XCB_GRAB_MODE_ASYNC, confineTo, XCB_CURSOR_NONE, XCB_CURRENT_TIME);
  xcb_generic_error_t* error = nullptr;
  xcb_grab_pointer_reply_t* reply = xcb_grab_pointer_reply(grab.connection, cookie, &error);
  const bool grabbed = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
  std::free(reply);
  std::free(error);
  return grabbed;
}

void Unconfine() {
  if (grab.owner == nullptr) {
    return;
  }
  grab.owner = nullptr;
  // A window that is no longer viewable cannot be grabbed, nor follow a drag.
  if (!GrabPointer(XCB_WINDOW_NONE)) {
    ReleasePointerConfinement();
    return;
  }
  DestroyAreaWindow();
  xcb_flush(grab.connection);
}

// A window that stops being the active one must not keep the pointer.
QMetaObject::Connection UnconfineWhenFocusLeaves(const QWindow* top) {
  return QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, [top](QWindow* focus) {
    if (focus != top) {
      Unconfine();
    }
  });
}

// The press started an implicit grab of XInput2's, which a core grab cannot take over, so it is
// let go first. Where confining is refused, the drag is still followed outside the window.
bool ReplaceImplicitGrab() {
  xcb_ungrab_pointer(grab.connection, XCB_CURRENT_TIME);
  if (GrabPointer(grab.areaWindow)) {
    return true;
  }
  grab.owner = nullptr;
  DestroyAreaWindow();
  return GrabPointer(XCB_WINDOW_NONE);
}

}  // namespace

void ConfinePointer(const QWidget* owner, const QRect& area, Qt::MouseButton button) {
  ReleasePointerConfinement();
  xcb_connection_t* connection = XConnection();
  const QWindow* top = owner->window()->windowHandle();
  if (connection == nullptr || top == nullptr || area.isEmpty()) {
    return;
  }
  const auto topWindow = xcb_window_t(top->winId());
  grab = {connection,
          topWindow,
          button,
          owner,
          MapAreaWindow(connection, topWindow, NativeAreaInTopLevel(owner, area)),
          {}};
  if (!ReplaceImplicitGrab()) {
    xcb_flush(connection);
    grab = {};
    return;
  }
  xcb_flush(connection);
  grab.focusWatch = UnconfineWhenFocusLeaves(top);
  qGuiApp->installEventFilter(&releaseWatch);
}

void UnconfinePointer(const QWidget* owner) {
  if (owner != nullptr && owner == grab.owner) {
    Unconfine();
  }
}

void ReleasePointerConfinement() {
  if (grab.connection == nullptr) {
    return;
  }
  if (qGuiApp != nullptr) {
    qGuiApp->removeEventFilter(&releaseWatch);
  }
  QObject::disconnect(grab.focusWatch);
  xcb_ungrab_pointer(grab.connection, XCB_CURRENT_TIME);
  DestroyAreaWindow();
  xcb_flush(grab.connection);
  grab = {};
}

}  // namespace toolkit
