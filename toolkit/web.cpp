// Handing a web address to the user's default browser.
#include <QDesktopServices>
#include <QUrl>

#include "toolkit/toolkit.h"

void OpenWebAddress(const std::string& address) {
  QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(address)));
}
