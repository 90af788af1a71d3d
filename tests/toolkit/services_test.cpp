// Opening web addresses, and the toolkit's release.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QUrl>

#include "tests/toolkit/test_support.h"

namespace {

// Stands in for the browser: records what it was asked to open.
class Browser : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void Open(const QUrl& url) { opened << url; }
};

}  // namespace

TEST(Services, WebAddressGoesToTheBrowser) {
  Browser browser;
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "Open");
  QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "Open");
  OpenWebAddress("https://www.example.com/quorvel?x=1");
  OpenWebAddress("www.example.com");
  QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
  QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  ASSERT_EQ(browser.opened.size(), 2);
  EXPECT_EQ(browser.opened[0], QUrl(QStringLiteral("https://www.example.com/quorvel?x=1")));
  EXPECT_EQ(browser.opened[1].host(), QStringLiteral("www.example.com"));
}

TEST(Services, ReleaseLetsGoOfEverythingAndTheToolkitStartsAgain) {
  const ObjectRef window = OpenActiveWindow(0);
  CreateMenuBar(0, window);
  AddMenuTitle("File");
  AddMenuItem(9, "Save");
  const ObjectRef status = CreateStatusBar(window);
  AddStatusBarField(kKeepValue);
  const ObjectRef font = LoadFont(0, "Arial", 10);
  SetDefaultFont(font);
  const ObjectRef canvas = CreateCanvas(0, 0, 40, 30, kCanvasBorder);
  ASSERT_NE(CreateFile(0, "/dev/null"), 0);
  StartDrawingOnCanvas(canvas);
  TriggerMenuItem(0, 9);

  ReleaseToolkit();
  EXPECT_EQ(QApplication::instance(), nullptr);
  EXPECT_EQ(WindowHandle(0), 0);
  EXPECT_EQ(FontHandle(0), 0);
  EXPECT_EQ(ControlWidth(canvas), 0);
  EXPECT_EQ(StatusBarFieldWidth(status, 0), 0);
  EXPECT_FALSE(MenuItemChecked(0, 9));
  EXPECT_FALSE(CloseFile(0));
  EXPECT_EQ(TakeEvent(), EventKind::None);
  EXPECT_EQ(PixelColour(0, 0), kNoColour);

  ASSERT_TRUE(InitToolkit());
  EXPECT_NE(OpenActiveWindow(0), 0);
  EXPECT_NE(CreateButton(0, 0, 50, 20, "again"), 0);
  EXPECT_NE(LoadFont(0, "Arial", 10), 0);
}

#include "services_test.moc"
