// Colours between the program's 0x00BBGGRR and Qt, and the fixed light palette of every window.
// Only toolkit/ includes this header.
#pragma once

#include <QColor>
#include <QPalette>

#include "toolkit/plain_internals.h"
#include "toolkit/toolkit.h"

namespace toolkit {

inline QColor ToQColor(Colour colour) {
  return QColor(int(colour & 0xFFu), int((colour >> 8) & 0xFFu), int((colour >> 16) & 0xFFu));
}

inline Colour FromQRgb(QRgb rgb) {
  return Colour(qRed(rgb)) | (Colour(qGreen(rgb)) << 8) | (Colour(qBlue(rgb)) << 16);
}

// The light palette of every window, whatever the desktop's theme. A palette set on a window
// wins over the kinds' palettes that a theme gives, also when the theme changes later.
QPalette FixedLightPalette();

}  // namespace toolkit
