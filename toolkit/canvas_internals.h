// The canvas control and what it tells assistive technology when it is a slider. Only toolkit/
// includes this header.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <optional>

#include "toolkit/plain_internals.h"
#include "toolkit/toolkit.h"

namespace toolkit {

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

}  // namespace toolkit
