// Accessibility, drawing and fonts: what other toolkit files call of them. Only toolkit/ includes
// this header.
#pragma once

#include "toolkit/plain_internals.h"
#include "toolkit/toolkit.h"

class QFont;
class QWidget;

namespace toolkit {

void InstallAccessibility();
// Assistive technology reads the widget's name again.
void AnnounceNameChange(QWidget* widget);

// Ends drawing on a target that is going away.
void ForgetDrawingTarget(QWidget* target);
void ReleaseDrawing();

// The font that controls created now receive, or none.
const QFont* DefaultControlFont();
void ReleaseFonts();

}  // namespace toolkit
