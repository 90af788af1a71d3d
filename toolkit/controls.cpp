// Standard controls and the panel that groups them.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <map>
#include <vector>

#include "toolkit/canvas_internals.h"
#include "toolkit/control_internals.h"
#include "toolkit/event_queue.h"
#include "toolkit/qt_colours.h"
#include "toolkit/service_internals.h"
#include "toolkit/toolkit_testing.h"
#include "toolkit/window_internals.h"

namespace toolkit {
namespace {

std::map<QWidget*, ControlRecord> controls;
// Open panels, innermost last: controls created now become children of the last one.
std::vector<QWidget*> openPanels;

QWidget* ParentForNewControl() {
  if (!openPanels.empty()) {
    return openPanels.back();
  }
  WindowRecord* window = CurrentWindow();
  return window == nullptr ? nullptr : window->client;
}

ObjectRef Register(QWidget* control, ControlKind kind, int x, int y, int width, int height) {
  if (const QFont* font = DefaultControlFont()) {
    control->setFont(*font);
  }
  control->setGeometry(x, y, width, height);
  control->show();
  controls[control] = ControlRecord{kind, 0};
  // A control that goes with its window leaves no record behind for a later one at its address.
  QObject::connect(control, &QObject::destroyed, [control] {
    controls.erase(control);
    std::erase(openPanels, control);
  });
  return RefOf(control);
}

void SetBackground(QWidget* control, Colour colour) {
  QPalette palette = control->palette();
  palette.setColor(QPalette::Window, ToQColor(colour));
  palette.setColor(QPalette::Base, ToQColor(colour));
  control->setPalette(palette);
  control->setAutoFillBackground(true);
}

}  // namespace

QWidget* FindControl(ObjectRef reference, ControlRecord** record) {
  // Only compared as a key, never followed, so a stale or made-up reference finds nothing.
  auto found = controls.find(reinterpret_cast<QWidget*>(reference));
  if (found == controls.end()) {
    return nullptr;
  }
  if (record != nullptr) {
    *record = &found->second;
  }
  return found->first;
}

void ForgetControls() {
  controls.clear();
  openPanels.clear();
}

}  // namespace toolkit

using namespace toolkit;

ObjectRef CreateTextField(int x, int y, int width, int height, const std::string& text,
                          unsigned options) {
  QWidget* parent = ParentForNewControl();
  if (parent == nullptr) {
    return 0;
  }
  auto* field = new QLineEdit(QString::fromStdString(text), parent);
  field->setFrame((options & kTextBorderless) == 0);
  field->setCursorPosition(0);
  return Register(field, ControlKind::TextField, x, y, width, height);
}

ObjectRef CreateStaticText(int x, int y, int width, int height, const std::string& text,
                           unsigned options) {
  QWidget* parent = ParentForNewControl();
  if (parent == nullptr) {
    return 0;
  }
  auto* label = new QLabel(QString::fromStdString(text), parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment((options & kTextCentred) ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignTop));
  if (options & kTextSunkenBorder) {
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  }
  return Register(label, ControlKind::StaticText, x, y, width, height);
}

ObjectRef CreateButton(int x, int y, int width, int height, const std::string& label) {
  QWidget* parent = ParentForNewControl();
  if (parent == nullptr) {
    return 0;
  }
  auto* button = new QPushButton(QString::fromStdString(label), parent);
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, button,
                   [button] { PushControlEvent(button, EventSubtype::None); });
  return Register(button, ControlKind::Button, x, y, width, height);
}

ObjectRef CreateDropDownList(int x, int y, int width, int height) {
  QWidget* parent = ParentForNewControl();
  if (parent == nullptr) {
    return 0;
  }
  auto* list = new QComboBox(parent);
  list->setEditable(false);
  // Only the user's choices raise events: the program's own changes block the signal.
  QObject::connect(list, &QComboBox::currentIndexChanged, list,
                   [list] { PushControlEvent(list, EventSubtype::Change); });
  return Register(list, ControlKind::DropDownList, x, y, width, height);
}

ObjectRef CreateCanvas(int x, int y, int width, int height, unsigned options) {
  QWidget* parent = ParentForNewControl();
  const int border = (options & kCanvasBorder) ? 2 * Canvas::kBorder : 0;
  if (parent == nullptr || width <= border || height <= border) {
    return 0;
  }
  auto* canvas = new Canvas(parent, width, height, options);
  return Register(canvas, ControlKind::Canvas, x, y, width, height);
}

ObjectRef CreatePanel(int x, int y, int width, int height) {
  QWidget* parent = ParentForNewControl();
  if (parent == nullptr) {
    return 0;
  }
  auto* panel = new QWidget(parent);
  const ObjectRef reference = Register(panel, ControlKind::Panel, x, y, width, height);
  openPanels.push_back(panel);
  return reference;
}

void ClosePanel() {
  if (!openPanels.empty()) {
    openPanels.pop_back();
  }
}

void HideControl(ObjectRef control, bool hidden) {
  if (QWidget* widget = FindControl(control)) {
    widget->setHidden(hidden);
  }
}

bool ControlVisible(ObjectRef control) {
  QWidget* widget = FindControl(control);
  return widget != nullptr && !widget->isHidden();
}

void SetControlText(ObjectRef control, const std::string& text) {
  ControlRecord* record = nullptr;
  QWidget* widget = FindControl(control, &record);
  if (widget == nullptr) {
    return;
  }
  const QString value = QString::fromStdString(text);
  switch (record->kind) {
    case ControlKind::TextField:
      static_cast<QLineEdit*>(widget)->setText(value);
      static_cast<QLineEdit*>(widget)->setCursorPosition(0);
      break;
    case ControlKind::StaticText: static_cast<QLabel*>(widget)->setText(value); break;
    case ControlKind::Button: static_cast<QPushButton*>(widget)->setText(value); break;
    case ControlKind::DropDownList: {
      auto* list = static_cast<QComboBox*>(widget);
      const int index = list->findText(value, Qt::MatchFixedString | Qt::MatchCaseSensitive);
      if (index >= 0) {
        QSignalBlocker quiet(list);
        list->setCurrentIndex(index);
      }
      break;
    }
    case ControlKind::Canvas:
    case ControlKind::Panel: break;
  }
}

std::string ControlText(ObjectRef control) {
  ControlRecord* record = nullptr;
  QWidget* widget = FindControl(control, &record);
  if (widget == nullptr) {
    return std::string();
  }
  switch (record->kind) {
    case ControlKind::TextField: return static_cast<QLineEdit*>(widget)->text().toStdString();
    case ControlKind::StaticText: return static_cast<QLabel*>(widget)->text().toStdString();
    case ControlKind::Button: return static_cast<QPushButton*>(widget)->text().toStdString();
    case ControlKind::DropDownList:
      return static_cast<QComboBox*>(widget)->currentText().toStdString();
    case ControlKind::Canvas:
    case ControlKind::Panel: break;
  }
  return std::string();
}

void AddListItem(ObjectRef list, const std::string& text) {
  ControlRecord* record = nullptr;
  QWidget* widget = FindControl(list, &record);
  if (widget == nullptr || record->kind != ControlKind::DropDownList) {
    return;
  }
  auto* box = static_cast<QComboBox*>(widget);
  QSignalBlocker quiet(box);
  box->addItem(QString::fromStdString(text));
}

void SetListSelection(ObjectRef list, int index) {
  ControlRecord* record = nullptr;
  QWidget* widget = FindControl(list, &record);
  if (widget == nullptr || record->kind != ControlKind::DropDownList) {
    return;
  }
  auto* box = static_cast<QComboBox*>(widget);
  if (index >= -1 && index < box->count()) {
    QSignalBlocker quiet(box);
    box->setCurrentIndex(index);
  }
}

int ListSelection(ObjectRef list) {
  ControlRecord* record = nullptr;
  QWidget* widget = FindControl(list, &record);
  if (widget == nullptr || record->kind != ControlKind::DropDownList) {
    return -1;
  }
  return static_cast<QComboBox*>(widget)->currentIndex();
}

void SetControlColour(ObjectRef control, Colour colour) {
  if (QWidget* widget = FindControl(control)) {
    SetBackground(widget, colour);
  }
}

void SetControlData(ObjectRef control, std::intptr_t value) {
  ControlRecord* record = nullptr;
  if (FindControl(control, &record) != nullptr) {
    record->userData = value;
  }
}

std::intptr_t ControlData(ObjectRef control) {
  ControlRecord* record = nullptr;
  return FindControl(control, &record) == nullptr ? 0 : record->userData;
}

int ControlX(ObjectRef control) {
  QWidget* widget = FindControl(control);
  return widget == nullptr ? 0 : widget->x();
}

int ControlY(ObjectRef control) {
  QWidget* widget = FindControl(control);
  return widget == nullptr ? 0 : widget->y();
}

int ControlWidth(ObjectRef control) {
  QWidget* widget = FindControl(control);
  return widget == nullptr ? 0 : widget->width();
}

int ControlHeight(ObjectRef control) {
  QWidget* widget = FindControl(control);
  return widget == nullptr ? 0 : widget->height();
}
