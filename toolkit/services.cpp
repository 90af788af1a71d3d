// Start and end of the toolkit: the Qt application object and everything made through it.
#include <QApplication>
#include <QIcon>
#include <QPalette>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>

#include <memory>

#include "toolkit/canvas_internals.h"
#include "toolkit/control_internals.h"
#include "toolkit/event_queue.h"
#include "toolkit/qt_colours.h"
#include "toolkit/service_internals.h"
#include "toolkit/status_bar_internals.h"
#include "toolkit/window_internals.h"

namespace {

// The program takes no arguments; Qt only needs a name for itself. Qt names the window's class
// after it, so each build's windows are told apart and matched to that build's desktop entry.
int argumentCount = 1;
char programName[] = QUORVEL_PROGRAM_NAME;
char* arguments[] = {programName, nullptr};

std::unique_ptr<QApplication> application;

constexpr int kIconSizes[] = {QUORVEL_ICON_SIZES};

// The program keeps no settings between runs, but Qt's file dialog stores its history and last
// folder in the user's settings and starts there next time. Below /dev/null no folder can ever be
// made, so nothing is written there and nothing is read back.
constexpr const char* kNoSettingsFolder = "/dev/null/quorvel-keeps-no-settings";

void KeepNoSettings() {
  for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
    QSettings::setPath(format, QSettings::UserScope, QString::fromLatin1(kNoSettingsFolder));
  }
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : kIconSizes) {
    icon.addFile(QStringLiteral(":/icons/quorvel-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace

namespace toolkit {

// The window paints fixed light grounds (0xF0F0F0, white), so its text must be dark whatever the
// desktop's theme: a dark theme's light text would vanish on them. These are the colours of Qt's
// own light palette, written out because a style asked for its palette answers with the theme's.
QPalette FixedLightPalette() {
  const QColor ground(239, 239, 239);
  const QColor dark = ground.darker(150);
  const QColor mid = ground.darker(130);
  const QColor shadow = dark.darker(135);
  const QColor disabledText(190, 190, 190);
  const QColor highlight(48, 140, 198);
  QColor placeholder(Qt::black);
  placeholder.setAlpha(128);

  QPalette light(Qt::black, ground, ground.lighter(150), dark, mid, Qt::black, Qt::white);
  light.setBrush(QPalette::Midlight, mid.lighter(110));
  light.setBrush(QPalette::Button, ground);
  light.setBrush(QPalette::Shadow, shadow);
  light.setBrush(QPalette::HighlightedText, Qt::white);
  light.setBrush(QPalette::PlaceholderText, placeholder);
  light.setBrush(QPalette::Active, QPalette::Highlight, highlight);
  light.setBrush(QPalette::Inactive, QPalette::Highlight, highlight);
  light.setBrush(QPalette::Disabled, QPalette::Highlight, QColor(145, 145, 145));
  for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
    light.setBrush(QPalette::Disabled, role, disabledText);
  }
  light.setBrush(QPalette::Disabled, QPalette::Base, ground);
  light.setBrush(QPalette::Disabled, QPalette::Dark, QColor(209, 209, 209).darker(110));
  light.setBrush(QPalette::Disabled, QPalette::Shadow, shadow.lighter(150));
  return light;
}

}  // namespace toolkit

namespace {

void UseTheSameLookEverywhere() {
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) {
    QApplication::setStyle(style);
  }
  QApplication::setPalette(toolkit::FixedLightPalette());
}

}  // namespace

bool InitToolkit() {
  if (QApplication::instance() != nullptr) {
    return application != nullptr;
  }
  KeepNoSettings();
  QGuiApplication::setDesktopFileName(QStringLiteral(QUORVEL_APP_ID));
  application = std::make_unique<QApplication>(argumentCount, arguments);
  // The program decides alone when to end, also when its last window is hidden.
  QApplication::setQuitOnLastWindowClosed(false);
  UseTheSameLookEverywhere();
  QApplication::setWindowIcon(ProgramIcon());
  toolkit::InstallAccessibility();
  return true;
}

void ReleaseToolkit() {
  toolkit::ReleasePointerConfinement();
  toolkit::ReleaseDrawing();
  toolkit::ReleaseFiles();
  toolkit::ForgetStatusBarBuilding();
  toolkit::ForgetMenus();
  toolkit::ForgetControls();
  toolkit::ReleaseWindows();
  toolkit::ReleaseFonts();
  toolkit::ReleaseEvents();
  application.reset();
}
