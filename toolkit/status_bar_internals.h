// The status bar and its fields. Only toolkit/ includes this header.
#pragma once

#include <QLabel>
#include <QWidget>

#include <vector>

#include "toolkit/plain_internals.h"
#include "toolkit/toolkit.h"

namespace toolkit {

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

}  // namespace toolkit
