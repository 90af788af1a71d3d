// Internals shared by the toolkit's source files. Only toolkit/ includes this header.
//
// References handed out for controls, the status bar and windows are the QWidget pointers cast to
// ObjectRef. The program treats them as opaque; only the toolkit's own tests rely on the cast.
#pragma once

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QWidget>

#include <optional>
#include <vector>

#include "toolkit/plain_internals.h"
#include "toolkit/toolkit.h"
#include "toolkit/toolkit_testing.h"

class QMenuBar;

namespace toolkit {

// ---- colours ------------------------------------------------------------------------------

inline QColor ToQColor(Colour colour) {
  return QColor(int(colour & 0xFFu), int((colour >> 8) & 0xFFu), int((colour >> 16) & 0xFFu));
}

inline Colour FromQRgb(QRgb rgb) {
  return Colour(qRed(rgb)) | (Colour(qGreen(rgb)) << 8) | (Colour(qBlue(rgb)) << 16);
}

// The light palette of every window, whatever the desktop's theme. A palette set on a window
// wins over the kinds' palettes that a theme gives, also when the theme changes later.
QPalette FixedLightPalette();

// ---- events -------------------------------------------------------------------------------

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

// ---- windows ------------------------------------------------------------------------------

class StatusBar;

// The client area: holds the controls at absolute positions, the status bar along its bottom
// edge and what the program drew on the window itself.
class Client : public QWidget {
 public:
  explicit Client(QWidget* parent);
  void AttachStatusBar(StatusBar* bar);
  StatusBar* statusBar() const { return statusBar_; }
  // The layer the program draws on, painted over the background and under the controls.
  QImage& drawingLayer();
  void ClearDrawingLayer();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void PlaceStatusBar();
  StatusBar* statusBar_ = nullptr;
  QImage drawingLayer_;
};

// The top-level window: fixed size, refuses to close by itself and queues the request instead.
class Frame : public QWidget {
 public:
  explicit Frame(int number);
  int number() const { return number_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  int number_;
};

struct WindowRecord {
  int number = 0;
  Frame* frame = nullptr;
  Client* client = nullptr;
  QMenuBar* menuBar = nullptr;
};

WindowRecord* FindWindow(int number);
WindowRecord* FindWindowByHandle(ObjectRef handle);
// The window that controls created now go into.
WindowRecord* CurrentWindow();
// The program's window that is active, or none.
WindowRecord* ActiveWindowRecord();
// Puts the client below a menu bar of the given height.
void ShrinkClientForMenuBar(WindowRecord& window, int menuBarHeight);
void ReleaseWindows();

// ---- menus --------------------------------------------------------------------------------

void ForgetMenus();

// ---- status bar ---------------------------------------------------------------------------

class StatusBar : public QWidget {
 public:
  explicit StatusBar(QWidget* parent);
  void AddField(int width);
  int FieldCount() const { return int(fields_.size()); }
  QLabel* Field(int index) const;
  int FieldWidth(int index) const;
  int BarHeight() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceFields();
  struct FieldRecord {
    int declaredWidth;
    QLabel* label;
  };
  std::vector<FieldRecord> fields_;
};

StatusBar* FindStatusBar(ObjectRef reference);
void ForgetStatusBarBuilding();

// ---- controls -----------------------------------------------------------------------------

enum class ControlKind { TextField, StaticText, Button, DropDownList, Canvas, Panel };

struct ControlRecord {
  ControlKind kind;
  std::intptr_t userData = 0;
};

// The registered control behind a reference, or none.
QWidget* FindControl(ObjectRef reference, ControlRecord** record = nullptr);
void ForgetControls();

// ---- canvas -------------------------------------------------------------------------------

// A canvas that assistive technology is told is a slider.
struct CanvasSliderState {
  double minimum;
  double maximum;
  double step;
  double value;
  QString text;
};

class Canvas : public QWidget {
 public:
  Canvas(QWidget* parent, int outerWidth, int outerHeight, unsigned options);
  ~Canvas() override;
  QImage& picture() { return picture_; }
  int borderWidth() const { return bordered_ ? kBorder : 0; }
  // None until the canvas is described as a slider.
  const CanvasSliderState* sliderState() const { return slider_ ? &*slider_ : nullptr; }
  void SetSliderState(const CanvasSliderState& state) { slider_ = state; }

  static constexpr int kBorder = 2;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QPoint InnerPosition(const QPointF& widgetPosition) const;
  bool InsideInner(QPoint inner) const;
  QPoint Confined(QPoint inner) const;
  void Raise(EventSubtype subtype, QPoint inner, Qt::MouseButtons buttons);

  QImage picture_;
  bool bordered_;
  bool confinePointer_;
  bool pointerInside_ = false;
  bool dragging_ = false;
  std::optional<CanvasSliderState> slider_;
};

// Ends the pointer grab a canvas holds, if any.
void ReleasePointerConfinement();

// ---- accessibility ------------------------------------------------------------------------

void InstallAccessibility();
// Assistive technology reads the widget's name again.
void AnnounceNameChange(QWidget* widget);

// ---- drawing ------------------------------------------------------------------------------

// Ends drawing on a target that is going away.
void ForgetDrawingTarget(QWidget* target);
void ReleaseDrawing();

// ---- fonts --------------------------------------------------------------------------------

// The font that controls created now receive, or none.
const QFont* DefaultControlFont();
void ReleaseFonts();

}  // namespace toolkit
