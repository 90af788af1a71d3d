// Fonts by face name and size, and the default font of new controls.
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <map>
#include <memory>

#include "toolkit/service_internals.h"
#include "toolkit/toolkit_testing.h"

namespace toolkit {
namespace {

constexpr double kPointsPerInch = 72.0;

std::map<int, std::unique_ptr<QFont>> fonts;
const QFont* defaultControlFont = nullptr;

double VerticalDotsPerInch() {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen == nullptr ? 96.0 : screen->logicalDotsPerInchY();
}

QFont* FindFont(int number) {
  auto found = fonts.find(number);
  return found == fonts.end() ? nullptr : found->second.get();
}

}  // namespace

const QFont* DefaultControlFont() { return defaultControlFont; }

void ReleaseFonts() {
  defaultControlFont = nullptr;
  fonts.clear();
}

}  // namespace toolkit

using namespace toolkit;

ObjectRef LoadFont(int number, const std::string& faceName, int points) {
  if (QGuiApplication::instance() == nullptr || faceName.empty() || points <= 0 ||
      QFontDatabase::families().isEmpty()) {
    return 0;
  }
  // The size asked for is the character height, so it is set in pixels rather than left to
  // the font's own idea of its cell.
  const int pixels = int(std::lround(points * VerticalDotsPerInch() / kPointsPerInch));
  auto font = std::make_unique<QFont>(QString::fromStdString(faceName));
  font->setPixelSize(std::max(1, pixels));
  font->setWeight(QFont::Normal);
  // A face the system does not have is served by fontconfig's substitute for it.
  const QFontInfo resolved(*font);
  if (resolved.family().isEmpty() || resolved.pixelSize() <= 0) {
    return 0;
  }
  if (FindFont(number) == defaultControlFont) {
    defaultControlFont = nullptr;
  }
  fonts[number] = std::move(font);
  return RefOf(fonts[number].get());
}

ObjectRef FontHandle(int number) { return RefOf(FindFont(number)); }

int FontCharacterHeight(int number) {
  QFont* font = FindFont(number);
  return font == nullptr ? 0 : QFontInfo(*font).pixelSize();
}

void SetDefaultFont(ObjectRef fontHandle) {
  defaultControlFont = nullptr;
  for (const auto& [number, font] : fonts) {
    if (RefOf(font.get()) == fontHandle) {
      defaultControlFont = font.get();
    }
  }
}
