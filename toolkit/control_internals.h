// The registry of the controls. Only toolkit/ includes this header.
#pragma once

#include <cstdint>

#include "toolkit/plain_internals.h"
#include "toolkit/toolkit.h"

class QWidget;

namespace toolkit {

enum class ControlKind { TextField, StaticText, Button, DropDownList, Canvas, Panel };

struct ControlRecord {
  ControlKind kind;
  std::intptr_t userData = 0;
};

// The registered control behind a reference, or none.
QWidget* FindControl(ObjectRef reference, ControlRecord** record = nullptr);
void ForgetControls();

}  // namespace toolkit
