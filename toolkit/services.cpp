// Start and end of the toolkit: the Qt application object and everything made through it.
#include <QApplication>
#include <QIcon>

#include <memory>

#include "toolkit/qt_objects.h"

namespace {

// The program takes no arguments; Qt only needs a name for itself.
int argumentCount = 1;
char programName[] = "quorvel";
char* arguments[] = {programName, nullptr};

std::unique_ptr<QApplication> application;

constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

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
  application = std::make_unique<QApplication>(argumentCount, arguments);
  // The program decides alone when to end, also when its last window is hidden.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(ProgramIcon());
  return true;
}

void ReleaseToolkit() {
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
