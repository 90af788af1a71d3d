// Drawing on a canvas's picture or on a window's client area, one target at a time.
#include <QPainter>
#include <QPointer>

#include "toolkit/canvas_internals.h"
#include "toolkit/control_internals.h"
#include "toolkit/qt_colours.h"
#include "toolkit/service_internals.h"
#include "toolkit/window_internals.h"

namespace toolkit {
namespace {

struct DrawingTarget {
  QPointer<QWidget> widget;
  Canvas* canvas = nullptr;
  Client* client = nullptr;
  // What the window shows, captured at the start, so pixels read back as the user sees them.
  QImage shown;
};

DrawingTarget target;

bool Drawing() { return !target.widget.isNull(); }

void Fill(QImage& image, const QRect& area, const QColor& colour) {
  QPainter painter(&image);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.fillRect(area, colour);
}

}  // namespace

void ForgetDrawingTarget(QWidget* widget) {
  if (target.widget == widget) {
    target = DrawingTarget();
  }
}

void ReleaseDrawing() { target = DrawingTarget(); }

}  // namespace toolkit

using namespace toolkit;

ObjectRef StartDrawingOnCanvas(ObjectRef canvas) {
  ControlRecord* record = nullptr;
  QWidget* widget = FindControl(canvas, &record);
  if (widget == nullptr || record->kind != ControlKind::Canvas) {
    return 0;
  }
  StopDrawing();
  target.widget = widget;
  target.canvas = static_cast<Canvas*>(widget);
  return canvas;
}

ObjectRef StartDrawingOnWindow(int number) {
  WindowRecord* window = FindWindow(number);
  if (window == nullptr) {
    return 0;
  }
  StopDrawing();
  target.widget = window->client;
  target.client = window->client;
  QImage shown = window->client->grab().toImage().convertToFormat(QImage::Format_RGB32);
  // On a scaled screen the grab holds device pixels; the program counts logical ones.
  if (shown.size() != window->client->size()) {
    shown = shown.scaled(window->client->size());
  }
  target.shown = shown;
  return RefOf(window->client);
}

void FillRectangle(int x, int y, int width, int height, Colour colour) {
  if (!Drawing() || width <= 0 || height <= 0) {
    return;
  }
  const QRect area(x, y, width, height);
  if (target.canvas != nullptr) {
    Fill(target.canvas->picture(), area, ToQColor(colour));
    return;
  }
  Fill(target.shown, area, ToQColor(colour));
  Fill(target.client->drawingLayer(), area, ToQColor(colour));
}

Colour PixelColour(int x, int y) {
  if (!Drawing()) {
    return kNoColour;
  }
  const QImage& image = target.canvas != nullptr ? target.canvas->picture() : target.shown;
  if (!image.valid(x, y)) {
    return kNoColour;
  }
  return FromQRgb(image.pixel(x, y));
}

void StopDrawing() {
  if (Drawing()) {
    target.widget->update();
  }
  target = DrawingTarget();
}
