// The status bar: a strip along the bottom of the client area divided into fields.
#include <QFontMetrics>
#include <QPointer>

#include <algorithm>

#include "toolkit/service_internals.h"
#include "toolkit/status_bar_internals.h"
#include "toolkit/toolkit_testing.h"
#include "toolkit/window_internals.h"

namespace toolkit {
namespace {

constexpr int kMinimumBarHeight = 18;
constexpr int kTextPadding = 6;

// A bar replaced by a newer one goes away; the guard then reads as none.
QPointer<StatusBar> buildingBar;

}  // namespace

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {}

void StatusBar::AddField(int width) {
  auto* label = new QLabel(this);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->show();
  fields_.push_back(FieldRecord{width, label});
  PlaceFields();
}

QLabel* StatusBar::Field(int index) const {
  if (index < 0 || index >= FieldCount()) {
    return nullptr;
  }
  return fields_[std::size_t(index)].label;
}

int StatusBar::FieldWidth(int index) const {
  QLabel* label = Field(index);
  return label == nullptr ? 0 : label->width();
}

int StatusBar::BarHeight() const {
  return std::max(kMinimumBarHeight, QFontMetrics(font()).height() + kTextPadding);
}

void StatusBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceFields();
}

void StatusBar::PlaceFields() {
  int fixedWidth = 0;
  int sharing = 0;
  for (const FieldRecord& field : fields_) {
    if (field.declaredWidth == kKeepValue) {
      ++sharing;
    } else {
      fixedWidth += std::max(0, field.declaredWidth);
    }
  }
  // Every sharing field gets the same width; a remainder of a few pixels stays blank at the end.
  const int shared = sharing == 0 ? 0 : std::max(0, width() - fixedWidth) / sharing;
  int x = 0;
  for (const FieldRecord& field : fields_) {
    const int fieldWidth =
        field.declaredWidth == kKeepValue ? shared : std::max(0, field.declaredWidth);
    field.label->setGeometry(x, 0, fieldWidth, height());
    x += fieldWidth;
  }
}

void ForgetStatusBarBuilding() { buildingBar = nullptr; }

}  // namespace toolkit

using namespace toolkit;

ObjectRef CreateStatusBar(ObjectRef windowHandle) {
  WindowRecord* window = FindWindowByHandle(windowHandle);
  if (window == nullptr) {
    return 0;
  }
  auto* bar = new StatusBar(window->client);
  window->client->AttachStatusBar(bar);
  bar->show();
  buildingBar = bar;
  return RefOf(bar);
}

void AddStatusBarField(int width) {
  if (buildingBar != nullptr) {
    buildingBar->AddField(width);
  }
}

void SetStatusBarText(ObjectRef statusBar, int field, const std::string& text) {
  StatusBar* bar = FindStatusBar(statusBar);
  QLabel* label = bar == nullptr ? nullptr : bar->Field(field);
  if (label != nullptr) {
    label->setText(QString::fromStdString(text));
    AnnounceNameChange(bar);
  }
}

std::string StatusBarText(ObjectRef statusBar, int field) {
  StatusBar* bar = FindStatusBar(statusBar);
  QLabel* label = bar == nullptr ? nullptr : bar->Field(field);
  return label == nullptr ? std::string() : label->text().toStdString();
}

int StatusBarFieldWidth(ObjectRef statusBar, int field) {
  StatusBar* bar = FindStatusBar(statusBar);
  return bar == nullptr ? 0 : bar->FieldWidth(field);
}
