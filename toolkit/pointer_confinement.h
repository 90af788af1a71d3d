// Keeps the pointer itself inside part of a widget while a mouse button is held, where the
// windowing system allows it (X11). Elsewhere nothing happens and callers keep clamping positions.
#pragma once

#include <QRect>

class QWidget;

namespace toolkit {

// Confines the pointer to `area`, in `owner`'s coordinates, while `button` stays held; called on
// that button's press. Ends by itself once the buttons are released.
void ConfinePointer(const QWidget* owner, const QRect& area, Qt::MouseButton button);
// Lets the pointer leave `owner`'s area before the release; the drag is still followed outside,
// as without confinement. Does nothing when `owner` confines nothing.
void UnconfinePointer(const QWidget* owner);

}  // namespace toolkit
