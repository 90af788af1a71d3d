// The program's windows: a fixed-size top-level frame whose client widget holds the controls.
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QMenuBar>
#include <QPainter>

#include <map>
#include <memory>

#include "toolkit/event_queue.h"
#include "toolkit/qt_colours.h"
#include "toolkit/service_internals.h"
#include "toolkit/status_bar_internals.h"
#include "toolkit/toolkit_testing.h"
#include "toolkit/window_internals.h"

namespace toolkit {
namespace {

constexpr Qt::WindowStates kEnlarged = Qt::WindowMaximized | Qt::WindowFullScreen;

std::map<int, WindowRecord> windows;
int currentWindow = -1;

Qt::WindowFlags FlagsForStyle(unsigned style) {
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
  if (style & kWindowTitleBar) {
    flags |= Qt::WindowTitleHint;
  }
  if (style & kWindowSystemMenu) {
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  }
  if (style & kWindowMinimiseButton) {
    flags |= Qt::WindowMinimizeButtonHint;
  }
  return flags;
}

void CloseWindow(int number) {
  auto found = windows.find(number);
  if (found == windows.end()) {
    return;
  }
  ForgetDrawingTarget(found->second.client);
  delete found->second.frame;
  windows.erase(found);
  if (currentWindow == number) {
    currentWindow = -1;
  }
}

}  // namespace

// ---- Client -----------------------------------------------------------------------------------

Client::Client(QWidget* parent) : QWidget(parent) { setAutoFillBackground(true); }

void Client::AttachStatusBar(StatusBar* bar) {
  delete statusBar_;
  statusBar_ = bar;
  PlaceStatusBar();
}

QImage& Client::drawingLayer() {
  if (drawingLayer_.size() != size()) {
    QImage grown(size(), QImage::Format_ARGB32_Premultiplied);
    grown.fill(Qt::transparent);
    QPainter painter(&grown);
    painter.drawImage(0, 0, drawingLayer_);
    painter.end();
    drawingLayer_ = grown;
  }
  return drawingLayer_;
}

void Client::ClearDrawingLayer() {
  drawingLayer_ = QImage();
  update();
}

void Client::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceStatusBar();
}

void Client::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!drawingLayer_.isNull()) {
    QPainter painter(this);
    painter.drawImage(0, 0, drawingLayer_);
  }
}

void Client::PlaceStatusBar() {
  if (statusBar_ == nullptr) {
    return;
  }
  const int height = statusBar_->BarHeight();
  statusBar_->setGeometry(0, this->height() - height, width(), height);
  statusBar_->raise();
}

// ---- Frame ------------------------------------------------------------------------------------

Frame::Frame(int number) : number_(number) {}

void Frame::closeEvent(QCloseEvent* event) {
  // Only the program decides to end; the request waits in the queue for it.
  event->ignore();
  QueuedEvent request;
  request.kind = EventKind::CloseRequest;
  request.object = number_;
  PushEvent(request);
}

void Frame::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Qt's own Wayland decoration draws a maximise button whatever the window's hints say, and a
  // compositor may enlarge a maximised window beyond its fixed size: the frame stays as it is.
  if (event->type() == QEvent::WindowStateChange && (windowState() & kEnlarged)) {
    QMetaObject::invokeMethod(
        this, [this] { setWindowState(windowState() & ~kEnlarged); }, Qt::QueuedConnection);
  }
}

// ---- registry ---------------------------------------------------------------------------------

WindowRecord* FindWindow(int number) {
  auto found = windows.find(number);
  return found == windows.end() ? nullptr : &found->second;
}

WindowRecord* FindWindowByHandle(ObjectRef handle) {
  for (auto& [number, window] : windows) {
    if (RefOf(window.frame) == handle) {
      return &window;
    }
  }
  return nullptr;
}

StatusBar* FindStatusBar(ObjectRef reference) {
  for (auto& [number, window] : windows) {
    StatusBar* bar = window.client->statusBar();
    if (bar != nullptr && RefOf(bar) == reference) {
      return bar;
    }
  }
  return nullptr;
}

WindowRecord* CurrentWindow() { return FindWindow(currentWindow); }

WindowRecord* ActiveWindowRecord() {
  QWidget* active = QApplication::activeWindow();
  for (auto& [number, window] : windows) {
    if (window.frame == active) {
      return &window;
    }
  }
  return nullptr;
}

void ShrinkClientForMenuBar(WindowRecord& window, int menuBarHeight) {
  const int width = window.frame->width();
  window.menuBar->setGeometry(0, 0, width, menuBarHeight);
  window.client->setGeometry(0, menuBarHeight, width, window.frame->height() - menuBarHeight);
}

void ReleaseWindows() {
  while (!windows.empty()) {
    CloseWindow(windows.begin()->first);
  }
}

}  // namespace toolkit

using namespace toolkit;

int MenuBarHeight() {
  static int height = 0;
  if (height == 0 && QApplication::instance() != nullptr) {
    QMenuBar sample;
    sample.setNativeMenuBar(false);
    sample.addMenu(QStringLiteral("File"));
    height = sample.sizeHint().height();
  }
  return height;
}

ObjectRef OpenWindow(int number, int x, int y, int innerWidth, int innerHeight,
                     const std::string& title, unsigned style) {
  if (QApplication::instance() == nullptr || innerWidth <= 0 || innerHeight <= 0) {
    return 0;
  }
  CloseWindow(number);
  auto frame = std::make_unique<Frame>(number);
  frame->setWindowFlags(FlagsForStyle(style));
  frame->setPalette(FixedLightPalette());
  frame->setWindowTitle(QString::fromStdString(title));
  frame->setWindowIcon(QApplication::windowIcon());
  frame->setFixedSize(innerWidth, innerHeight);
  frame->move(x, y);

  WindowRecord record;
  record.number = number;
  record.client = new Client(frame.get());
  record.client->setGeometry(0, 0, innerWidth, innerHeight);
  record.frame = frame.release();
  windows[number] = record;
  currentWindow = number;

  record.frame->show();
  return RefOf(record.frame);
}

ObjectRef WindowHandle(int number) {
  WindowRecord* window = FindWindow(number);
  return window == nullptr ? 0 : RefOf(window->frame);
}

void SetWindowColour(int number, Colour colour) {
  WindowRecord* window = FindWindow(number);
  if (window == nullptr) {
    return;
  }
  for (QWidget* widget :
       {static_cast<QWidget*>(window->frame), static_cast<QWidget*>(window->client)}) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ToQColor(colour));
    widget->setPalette(palette);
  }
  window->client->ClearDrawingLayer();
}

int ActiveWindow() {
  WindowRecord* window = ActiveWindowRecord();
  return window == nullptr ? -1 : window->number;
}

std::string WindowTitle(int number) {
  WindowRecord* window = FindWindow(number);
  return window == nullptr ? std::string() : window->frame->windowTitle().toStdString();
}

int WindowClientWidth(int number) {
  WindowRecord* window = FindWindow(number);
  return window == nullptr ? 0 : window->client->width();
}

int WindowClientHeight(int number) {
  WindowRecord* window = FindWindow(number);
  return window == nullptr ? 0 : window->client->height();
}
