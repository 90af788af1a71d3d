// The program's windows: the frame, its client area and the registry of both; the menus' release.
// Only toolkit/ includes this header.
#pragma once

#include <QImage>
#include <QWidget>

#include "toolkit/plain_internals.h"
#include "toolkit/toolkit.h"

class QMenuBar;

namespace toolkit {

class StatusBar;

// The client area: holds the controls at absolute positions, the status bar along its bottom
// edge and what the program drew on the window itself.
class Client : public QWidget {
 public:
  explicit Client(QWidget* parent);
  void AttachStatusBar(StatusBar* bar);
  StatusBar* statusBar() const { return statusBar_; }
  // The layer the program draws on, painted over the background and under the controls.
  QImage& drawingLayer();
  void ClearDrawingLayer();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void PlaceStatusBar();
  StatusBar* statusBar_ = nullptr;
  QImage drawingLayer_;
};

// The top-level window: fixed size, refuses to close by itself and queues the request instead.
class Frame : public QWidget {
 public:
  explicit Frame(int number);
  int number() const { return number_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  int number_;
};

struct WindowRecord {
  int number = 0;
  Frame* frame = nullptr;
  Client* client = nullptr;
  QMenuBar* menuBar = nullptr;
};

WindowRecord* FindWindow(int number);
WindowRecord* FindWindowByHandle(ObjectRef handle);
// The window that controls created now go into.
WindowRecord* CurrentWindow();
// The program's window that is active, or none.
WindowRecord* ActiveWindowRecord();
// Puts the client below a menu bar of the given height.
void ShrinkClientForMenuBar(WindowRecord& window, int menuBarHeight);
void ReleaseWindows();

void ForgetMenus();

}  // namespace toolkit
