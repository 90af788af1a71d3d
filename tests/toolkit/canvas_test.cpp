// The canvas: its picture, drawing on it, and the pointer as its events report it.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include "tests/toolkit/test_support.h"

namespace {

constexpr int kWindow = 0;
constexpr unsigned kSliderOptions = kCanvasBorder | kCanvasConfinePointer | kCanvasKeyboardFocus;
// The sliders' canvas: 149 x 25 outside, 145 x 21 inside the 2-pixel edge.
constexpr int kOuterWidth = 149;
constexpr int kOuterHeight = 25;
constexpr int kInnerWidth = 145;
constexpr int kInnerHeight = 21;
constexpr int kEdge = 2;

struct CanvasEvent {
  EventKind kind;
  EventSubtype subtype;
  int x, y, buttons;
};

// Sends a mouse event straight to the canvas, in the canvas's own outer coordinates.
void Mouse(ObjectRef canvas, QEvent::Type type, QPoint outer, Qt::MouseButton button,
           Qt::MouseButtons held) {
  QWidget* widget = WidgetOf(canvas);
  QMouseEvent event(type, QPointF(outer), QPointF(widget->mapToGlobal(outer)), button, held,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

QPoint Outer(int innerX, int innerY) { return QPoint(innerX + kEdge, innerY + kEdge); }

CanvasEvent Next(ObjectRef canvas) {
  const EventKind kind = TakeEvent();
  return CanvasEvent{kind, EventType(), CanvasPointerX(canvas), CanvasPointerY(canvas),
                     CanvasButtons(canvas)};
}

void ExpectEvent(const CanvasEvent& event, EventSubtype subtype, int x, int y, int buttons) {
  EXPECT_EQ(event.kind, EventKind::Control);
  EXPECT_EQ(event.subtype, subtype);
  EXPECT_EQ(event.x, x);
  EXPECT_EQ(event.y, y);
  EXPECT_EQ(event.buttons, buttons);
}

ObjectRef SliderCanvas(int x = 74, int y = 165, unsigned options = kSliderOptions) {
  const ObjectRef canvas = CreateCanvas(x, y, kOuterWidth, kOuterHeight, options);
  TakeAllEvents();
  return canvas;
}

}  // namespace

TEST(Canvas, PictureIsTheInnerSizeWhiteAtFirstAndShowsWhatWasDrawn) {
  OpenActiveWindow(kWindow);
  const ObjectRef canvas = SliderCanvas();
  ASSERT_NE(canvas, 0);
  EXPECT_EQ(CreateCanvas(0, 0, 4, 30, kCanvasBorder), 0) << "no room inside the edge";

  ASSERT_EQ(StartDrawingOnCanvas(canvas), canvas);
  EXPECT_EQ(PixelColour(0, 0), 0xFFFFFFu);
  EXPECT_EQ(PixelColour(kInnerWidth - 1, kInnerHeight - 1), 0xFFFFFFu);
  EXPECT_EQ(PixelColour(kInnerWidth, 0), kNoColour) << "outside the picture";
  EXPECT_EQ(PixelColour(0, kInnerHeight), kNoColour);
  EXPECT_EQ(PixelColour(-1, 0), kNoColour);

  FillRectangle(0, 0, kInnerWidth, kInnerHeight, 0xF0F0F0);
  FillRectangle(39, 1, 7, kInnerHeight - 2, 0x000002);
  EXPECT_EQ(PixelColour(38, 1), 0xF0F0F0u);
  EXPECT_EQ(PixelColour(39, 1), 0x000002u);
  EXPECT_EQ(PixelColour(45, kInnerHeight - 2), 0x000002u);
  EXPECT_EQ(PixelColour(46, 1), 0xF0F0F0u);
  EXPECT_EQ(PixelColour(39, 0), 0xF0F0F0u);
  EXPECT_EQ(PixelColour(39, kInnerHeight - 1), 0xF0F0F0u);
  StopDrawing();
  EXPECT_EQ(PixelColour(39, 1), kNoColour) << "no target after stopping";

  const QImage shown = WidgetOf(canvas)->grab().toImage();
  EXPECT_EQ(shown.size(), QSize(kOuterWidth, kOuterHeight));
  EXPECT_EQ(shown.pixel(kEdge + 39, kEdge + 1), qRgb(2, 0, 0));
  EXPECT_EQ(shown.pixel(kEdge + 38, kEdge + 1), qRgb(0xF0, 0xF0, 0xF0));
  EXPECT_EQ(shown.pixel(kEdge, kEdge), qRgb(0xF0, 0xF0, 0xF0));
  // The sunken edge is drawn around the picture, darker above and left than the face.
  EXPECT_LT(qGray(shown.pixel(0, 0)), 0xF0);
  EXPECT_LT(qGray(shown.pixel(1, 1)), 0xF0);

  EXPECT_EQ(StartDrawingOnCanvas(0), 0);
  EXPECT_EQ(StartDrawingOnCanvas(canvas + 1), 0);
}

TEST(Canvas, CanvasWithoutEdgeDrawsOnItsWholeArea) {
  OpenActiveWindow(kWindow);
  const ObjectRef canvas = CreateCanvas(0, 0, 40, 30, 0);
  ASSERT_NE(StartDrawingOnCanvas(canvas), 0);
  EXPECT_EQ(PixelColour(39, 29), 0xFFFFFFu);
  EXPECT_EQ(PixelColour(40, 29), kNoColour);
  FillRectangle(0, 0, 1, 1, 0x123456);
  StopDrawing();
  EXPECT_EQ(WidgetOf(canvas)->grab().toImage().pixel(0, 0), qRgb(0x56, 0x34, 0x12));
}

TEST(Canvas, PressDragAndReleaseReportInnerPositionsAndButtons) {
  OpenActiveWindow(kWindow);
  const ObjectRef canvas = SliderCanvas();

  Mouse(canvas, QEvent::MouseButtonPress, Outer(72, 10), Qt::LeftButton, Qt::LeftButton);
  Mouse(canvas, QEvent::MouseMove, Outer(73, 11), Qt::NoButton, Qt::LeftButton);
  Mouse(canvas, QEvent::MouseButtonRelease, Outer(74, 12), Qt::LeftButton, Qt::NoButton);

  CanvasEvent event = Next(canvas);
  ExpectEvent(event, EventSubtype::LeftButtonDown, 72, 10, kLeftButtonBit);
  EXPECT_EQ(EventObject(), canvas);
  ExpectEvent(Next(canvas), EventSubtype::Focus, 0, 0, 0);
  ExpectEvent(Next(canvas), EventSubtype::PointerMoved, 73, 11, kLeftButtonBit);
  ExpectEvent(Next(canvas), EventSubtype::LeftButtonUp, 74, 12, 0);
  EXPECT_EQ(TakeEvent(), EventKind::None);
  EXPECT_TRUE(WidgetOf(canvas)->hasFocus());
}

// A scaled screen delivers logical positions with fractions: at scale 2 a screen pixel is half a
// logical one, at 1.5 a third or two. Each must land in the logical pixel it lies in.
TEST(Canvas, FractionalPositionsOfScaledScreensFallInTheirOwnPixel) {
  OpenActiveWindow(kWindow);
  const ObjectRef canvas = SliderCanvas();
  QWidget* widget = WidgetOf(canvas);
  const double fractions[] = {0.0, 1.0 / 3, 0.5, 2.0 / 3, 0.999};
  for (int x = 0; x < kInnerWidth; ++x) {
    for (double fraction : fractions) {
      SCOPED_TRACE("inner x " + std::to_string(x + fraction));
      const QPointF at(x + kEdge + fraction, 10 + kEdge + fraction);
      for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
      }
      int reported = 0;
      for (EventKind kind = TakeEvent(); kind != EventKind::None; kind = TakeEvent()) {
        if (EventType() == EventSubtype::LeftButtonDown ||
            EventType() == EventSubtype::LeftButtonUp) {
          ++reported;
          EXPECT_EQ(CanvasPointerX(canvas), x);
          EXPECT_EQ(CanvasPointerY(canvas), 10);
        }
      }
      EXPECT_EQ(reported, 2);
    }
  }
}

TEST(Canvas, ConfinementClampsADragBeyondTheEdges) {
  OpenActiveWindow(kWindow);
  const ObjectRef canvas = SliderCanvas();
  const ObjectRef loose = SliderCanvas(74, 125, kCanvasBorder);

  for (ObjectRef target : {canvas, loose}) {
    Mouse(target, QEvent::MouseButtonPress, Outer(10, 5), Qt::LeftButton, Qt::LeftButton);
    Mouse(target, QEvent::MouseMove, QPoint(-50, 100), Qt::NoButton, Qt::LeftButton);
    Mouse(target, QEvent::MouseMove, QPoint(1000, -20), Qt::NoButton, Qt::LeftButton);
    Mouse(target, QEvent::MouseButtonRelease, QPoint(500, 500), Qt::LeftButton, Qt::NoButton);
  }
  std::vector<CanvasEvent> confined;
  std::vector<CanvasEvent> free;
  for (EventKind kind = TakeEvent(); kind != EventKind::None; kind = TakeEvent()) {
    if (EventType() == EventSubtype::Focus || EventType() == EventSubtype::LostFocus) {
      continue;
    }
    const ObjectRef source = EventObject();
    (source == canvas ? confined : free)
        .push_back(CanvasEvent{kind, EventType(), CanvasPointerX(source), CanvasPointerY(source),
                               CanvasButtons(source)});
  }
  ASSERT_EQ(confined.size(), 4u);
  ExpectEvent(confined[1], EventSubtype::PointerMoved, 0, kInnerHeight - 1, kLeftButtonBit);
  ExpectEvent(confined[2], EventSubtype::PointerMoved, kInnerWidth - 1, 0, kLeftButtonBit);
  ExpectEvent(confined[3], EventSubtype::LeftButtonUp, kInnerWidth - 1, kInnerHeight - 1, 0);
  ASSERT_EQ(free.size(), 4u);
  ExpectEvent(free[1], EventSubtype::PointerMoved, -50 - kEdge, 100 - kEdge, kLeftButtonBit);
  ExpectEvent(free[3], EventSubtype::LeftButtonUp, 500 - kEdge, 500 - kEdge, 0);

  // With the button up again the positions are the pointer's own.
  Mouse(canvas, QEvent::MouseMove, Outer(3, 4), Qt::NoButton, Qt::NoButton);
  ExpectEvent(Next(canvas), EventSubtype::PointerMoved, 3, 4, 0);
}

TEST(Canvas, TheWindowKeepsSendingADragToTheCanvasItStartedOn) {
  const ObjectRef window = OpenActiveWindow(kWindow);
  const ObjectRef canvas = SliderCanvas();
  QWindow* native = WidgetOf(window)->windowHandle();
  ASSERT_NE(native, nullptr);
  const QPoint origin = WidgetOf(canvas)->mapTo(WidgetOf(window), QPoint(kEdge, kEdge));

  QTest::mouseMove(native, origin + QPoint(20, 5));
  QTest::mousePress(native, Qt::LeftButton, Qt::NoModifier, origin + QPoint(20, 6));
  QTest::mouseMove(native, origin + QPoint(-60, -40));
  QTest::mouseMove(native, origin + QPoint(250, 60));
  QTest::mouseRelease(native, Qt::LeftButton, Qt::NoModifier, origin + QPoint(250, 60));

  std::vector<CanvasEvent> events;
  for (EventKind kind = TakeEvent(); kind != EventKind::None; kind = TakeEvent()) {
    if (EventObject() == canvas && EventType() != EventSubtype::Focus) {
      events.push_back(CanvasEvent{kind, EventType(), CanvasPointerX(canvas),
                                   CanvasPointerY(canvas), CanvasButtons(canvas)});
    }
  }
  // Qt moves the pointer to the press position first, and reports the leaving after release.
  ASSERT_EQ(events.size(), 7u);
  ExpectEvent(events[0], EventSubtype::PointerEntered, 20, 5, 0);
  ExpectEvent(events[1], EventSubtype::PointerMoved, 20, 6, 0);
  ExpectEvent(events[2], EventSubtype::LeftButtonDown, 20, 6, kLeftButtonBit);
  ExpectEvent(events[3], EventSubtype::PointerMoved, 0, 0, kLeftButtonBit);
  ExpectEvent(events[4], EventSubtype::PointerMoved, kInnerWidth - 1, kInnerHeight - 1,
              kLeftButtonBit);
  ExpectEvent(events[5], EventSubtype::LeftButtonUp, kInnerWidth - 1, kInnerHeight - 1, 0);
  EXPECT_EQ(events[6].subtype, EventSubtype::PointerLeft);
}

TEST(Canvas, EntryLeavingOtherButtonsWheelAndKeysHaveTheirSubtypes) {
  OpenActiveWindow(kWindow);
  const ObjectRef canvas = SliderCanvas();

  Mouse(canvas, QEvent::MouseMove, Outer(5, 5), Qt::NoButton, Qt::NoButton);
  Mouse(canvas, QEvent::MouseMove, Outer(6, 5), Qt::NoButton, Qt::NoButton);
  Mouse(canvas, QEvent::MouseMove, QPoint(0, 0), Qt::NoButton, Qt::NoButton);  // the edge
  ExpectEvent(Next(canvas), EventSubtype::PointerEntered, 5, 5, 0);
  ExpectEvent(Next(canvas), EventSubtype::PointerMoved, 6, 5, 0);
  EXPECT_EQ(Next(canvas).subtype, EventSubtype::PointerLeft);
  // A press on the edge is not the canvas's.
  Mouse(canvas, QEvent::MouseButtonPress, QPoint(1, 1), Qt::LeftButton, Qt::LeftButton);
  Mouse(canvas, QEvent::MouseButtonRelease, QPoint(1, 1), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(TakeEvent(), EventKind::None);

  Mouse(canvas, QEvent::MouseButtonPress, Outer(7, 8), Qt::RightButton, Qt::RightButton);
  Mouse(canvas, QEvent::MouseButtonPress, Outer(7, 8), Qt::MiddleButton,
        Qt::RightButton | Qt::MiddleButton);
  Mouse(canvas, QEvent::MouseButtonRelease, Outer(7, 8), Qt::RightButton, Qt::MiddleButton);
  Mouse(canvas, QEvent::MouseButtonRelease, Outer(7, 8), Qt::MiddleButton, Qt::NoButton);
  ExpectEvent(Next(canvas), EventSubtype::RightButtonDown, 7, 8, kRightButtonBit);
  ExpectEvent(Next(canvas), EventSubtype::Focus, 0, 0, 0);
  ExpectEvent(Next(canvas), EventSubtype::MiddleButtonDown, 7, 8,
              kRightButtonBit | kMiddleButtonBit);
  ExpectEvent(Next(canvas), EventSubtype::RightButtonUp, 7, 8, kMiddleButtonBit);
  ExpectEvent(Next(canvas), EventSubtype::MiddleButtonUp, 7, 8, 0);

  QWheelEvent wheel(QPointF(Outer(9, 9)), QPointF(), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(WidgetOf(canvas), &wheel);
  ExpectEvent(Next(canvas), EventSubtype::Wheel, 9, 9, 0);

  QTest::keyClick(WidgetOf(canvas), Qt::Key_A);
  EXPECT_EQ(Next(canvas).subtype, EventSubtype::KeyDown);
  EXPECT_EQ(Next(canvas).subtype, EventSubtype::KeyUp);
}

TEST(Canvas, PointerIsZeroOutsideTheCanvasOwnEvent) {
  OpenActiveWindow(kWindow);
  const ObjectRef first = SliderCanvas();
  const ObjectRef second = SliderCanvas(74, 125);
  const ObjectRef button = CreateButton(0, 0, 50, 20, "b");
  TakeAllEvents();

  Mouse(first, QEvent::MouseButtonPress, Outer(30, 7), Qt::LeftButton, Qt::LeftButton);
  Mouse(first, QEvent::MouseButtonRelease, Outer(30, 7), Qt::LeftButton, Qt::NoButton);
  QTest::mouseClick(WidgetOf(button), Qt::LeftButton);

  ASSERT_EQ(TakeEvent(), EventKind::Control);
  EXPECT_EQ(CanvasPointerX(first), 30);
  EXPECT_EQ(CanvasPointerY(first), 7);
  EXPECT_EQ(CanvasButtons(first), kLeftButtonBit);
  EXPECT_EQ(CanvasPointerX(second), 0);
  EXPECT_EQ(CanvasButtons(second), 0);
  EXPECT_EQ(CanvasPointerX(button), 0);

  for (EventKind kind = TakeEvent(); kind != EventKind::None; kind = TakeEvent()) {
    if (EventObject() == button) {
      EXPECT_EQ(CanvasPointerX(first), 0);
      EXPECT_EQ(CanvasPointerY(first), 0);
      EXPECT_EQ(CanvasButtons(first), 0);
    }
  }
  EXPECT_EQ(CanvasPointerX(first), 0) << "nothing taken";
}

TEST(Canvas, KeyboardFocusOnlyWithItsOption) {
  OpenActiveWindow(kWindow);
  const ObjectRef focusable = SliderCanvas();
  const ObjectRef plain = SliderCanvas(74, 125, kCanvasBorder);
  EXPECT_EQ(WidgetOf(focusable)->focusPolicy(), Qt::StrongFocus);
  EXPECT_EQ(WidgetOf(plain)->focusPolicy(), Qt::NoFocus);
  Mouse(plain, QEvent::MouseButtonPress, Outer(1, 1), Qt::LeftButton, Qt::LeftButton);
  EXPECT_FALSE(WidgetOf(plain)->hasFocus());
}

TEST(Canvas, KeyboardFocusShowsOnTheEdgeAndLeavesThePictureAlone) {
  OpenActiveWindow(kWindow);
  const ObjectRef canvas = SliderCanvas();
  ASSERT_NE(StartDrawingOnCanvas(canvas), 0);
  FillRectangle(0, 0, kInnerWidth, kInnerHeight, 0xF0F0F0);
  FillRectangle(60, 1, 7, kInnerHeight - 2, 0x000002);
  StopDrawing();
  QWidget* widget = WidgetOf(canvas);
  const QImage unfocused = widget->grab().toImage();
  widget->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(widget->hasFocus());
  const QImage focused = widget->grab().toImage();

  const QRect inner(kEdge, kEdge, kInnerWidth, kInnerHeight);
  EXPECT_EQ(focused.copy(inner), unfocused.copy(inner));
  const QRgb mark = widget->palette().color(QPalette::Highlight).rgb();
  for (QPoint ring : {QPoint(0, 0), QPoint(focused.width() - 1, focused.height() - 1),
                      QPoint(focused.width() / 2, 0), QPoint(0, focused.height() / 2)}) {
    EXPECT_EQ(focused.pixel(ring), mark) << ring.x() << "," << ring.y();
    EXPECT_NE(unfocused.pixel(ring), mark) << ring.x() << "," << ring.y();
  }
  widget->clearFocus();
  EXPECT_EQ(widget->grab().toImage(), unfocused);
}
