// What assistive technology (a screen reader, through AT-SPI) is told of the controls: names,
// labels, the sliders' values and the status bar as one status. Nothing on screen changes.
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>

#include "toolkit/canvas_internals.h"
#include "toolkit/control_internals.h"
#include "toolkit/service_internals.h"
#include "toolkit/status_bar_internals.h"

namespace toolkit {
namespace {

class CanvasAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit CanvasAccessible(Canvas* canvas) : QAccessibleWidget(canvas, QAccessible::Canvas) {}

  QAccessible::Role role() const override {
    return slider() != nullptr ? QAccessible::Slider : QAccessible::Canvas;
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    // Values come only from the pointer, as for a sighted user.
    state.readOnly = slider() != nullptr;
    return state;
  }

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value && slider() != nullptr) {
      return slider()->text;
    }
    return QAccessibleWidget::text(kind);
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface && slider() != nullptr) {
      return static_cast<QAccessibleValueInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
  }

  QVariant currentValue() const override { return slider()->value; }
  void setCurrentValue(const QVariant&) override {}
  QVariant maximumValue() const override { return slider()->maximum; }
  QVariant minimumValue() const override { return slider()->minimum; }
  QVariant minimumStepSize() const override { return slider()->step; }

 private:
  const CanvasSliderState* slider() const { return static_cast<Canvas*>(widget())->sliderState(); }
};

class StatusBarAccessible : public QAccessibleWidget {
 public:
  explicit StatusBarAccessible(StatusBar* bar) : QAccessibleWidget(bar, QAccessible::StatusBar) {}

  // The fields read as one status: "44100 Hz, Mono, 16 bits".
  QString text(QAccessible::Text kind) const override {
    if (kind != QAccessible::Name) {
      return QAccessibleWidget::text(kind);
    }
    const auto* bar = static_cast<const StatusBar*>(widget());
    QStringList texts;
    for (int field = 0; field < bar->FieldCount(); ++field) {
      if (!bar->Field(field)->text().isEmpty()) {
        texts << bar->Field(field)->text();
      }
    }
    return texts.join(QStringLiteral(", "));
  }
};

// Qt names a drop-down list after its current item on Linux; a screen reader should hear what
// the list is for ("Shape") and then its item. Everything else is as Qt's own.
class DropDownAccessible : public QAccessibleWidget {
 public:
  explicit DropDownAccessible(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) {
      return list()->currentText();
    }
    if (kind == QAccessible::Name && list()->accessibleName().isEmpty()) {
      return list()->currentText();
    }
    return QAccessibleWidget::text(kind);
  }

  // The pop-up list, as assistive technology expects below a combo box.
  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && child->object() == list()->view() ? 0 : -1;
  }

  QStringList actionNames() const override {
    return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& action) override {
    if (action == showMenuAction() || action == pressAction()) {
      list()->showPopup();
    } else {
      QAccessibleWidget::doAction(action);
    }
  }

 private:
  QComboBox* list() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* ProgramAccessible(const QString&, QObject* object) {
  if (auto* list = qobject_cast<QComboBox*>(object)) {
    return new DropDownAccessible(list);
  }
  if (auto* canvas = dynamic_cast<Canvas*>(object)) {
    return new CanvasAccessible(canvas);
  }
  if (auto* bar = dynamic_cast<StatusBar*>(object)) {
    return new StatusBarAccessible(bar);
  }
  return nullptr;
}

}  // namespace

void InstallAccessibility() { QAccessible::installFactory(ProgramAccessible); }

void AnnounceNameChange(QWidget* widget) {
  QAccessibleEvent event(widget, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
}

}  // namespace toolkit

using namespace toolkit;

void SetAccessibleName(ObjectRef control, const std::string& name) {
  if (QWidget* widget = FindControl(control)) {
    widget->setAccessibleName(QString::fromStdString(name));
  }
}

void LabelControl(ObjectRef label, ObjectRef control) {
  auto* labelWidget = qobject_cast<QLabel*>(FindControl(label));
  QWidget* controlWidget = FindControl(control);
  if (labelWidget == nullptr || controlWidget == nullptr) {
    return;
  }
  // The buddy makes the label and the control each other's label and labelled relations.
  labelWidget->setBuddy(controlWidget);
  // A text of its own keeps being read; other controls are called after their label.
  if (qobject_cast<QLabel*>(controlWidget) == nullptr) {
    controlWidget->setAccessibleName(labelWidget->text());
  }
}

void SetAccessibleSliderValue(ObjectRef canvas, const AccessibleSliderValue& value) {
  auto* widget = dynamic_cast<Canvas*>(FindControl(canvas));
  if (widget == nullptr) {
    return;
  }
  widget->SetSliderState(CanvasSliderState{value.minimum, value.maximum, value.step, value.value,
                                           QString::fromStdString(value.text)});
  QAccessibleValueChangeEvent event(widget, value.value);
  QAccessible::updateAccessibility(&event);
}
