// Start and end of the toolkit: the Qt application object and everything made through it.
#include <QApplication>
#include <QIcon>
#include <QSettings>

#include <memory>

#include "toolkit/qt_objects.h"

namespace {

// The program takes no arguments; Qt only needs a name for itself.
int argumentCount = 1;
char programName[] = "quorvel";
char* arguments[] = {programName, nullptr};

std::unique_ptr<QApplication> application;

constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

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

bool InitToolkit() {
  if (QApplication::instance() != nullptr) {
    return application != nullptr;
  }
  KeepNoSettings();
  application = std::make_unique<QApplication>(argumentCount, arguments);
  // The program decides alone when to end, also when its last window is hidden.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(ProgramIcon());
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
