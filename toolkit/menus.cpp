// Menu bars: titles, nested submenus and items that raise command events.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <map>
#include <vector>

#include "toolkit/event_queue.h"
#include "toolkit/toolkit_testing.h"
#include "toolkit/window_internals.h"

namespace toolkit {
namespace {

struct MenuBarRecord {
  // Goes null when its window closes; the items and menus went with it.
  QPointer<QMenuBar> bar;
  std::map<int, QAction*> items;
};

std::map<int, MenuBarRecord> menuBars;
// The menu bar being built and its open menus, innermost last.
int buildingMenuBar = -1;
std::vector<QMenu*> openMenus;

MenuBarRecord* FindMenuBar(int number) {
  auto found = menuBars.find(number);
  if (found == menuBars.end()) {
    return nullptr;
  }
  if (found->second.bar.isNull()) {
    menuBars.erase(found);
    return nullptr;
  }
  return &found->second;
}

QAction* FindItem(int menuNumber, int identifier) {
  MenuBarRecord* record = FindMenuBar(menuNumber);
  if (record == nullptr) {
    return nullptr;
  }
  auto found = record->items.find(identifier);
  return found == record->items.end() ? nullptr : found->second;
}

void RaiseCommand(QAction* item, int identifier) {
  // A check mark is the program's to set: undo the toggle Qt made on its own.
  if (item->isCheckable()) {
    item->setChecked(!item->isChecked());
  }
  PushCommandEvent(identifier);
}

}  // namespace

void ForgetMenus() {
  menuBars.clear();
  buildingMenuBar = -1;
  openMenus.clear();
}

}  // namespace toolkit

using namespace toolkit;

ObjectRef CreateMenuBar(int number, ObjectRef windowHandle) {
  WindowRecord* window = FindWindowByHandle(windowHandle);
  if (window == nullptr || window->menuBar != nullptr) {
    return 0;
  }
  auto* bar = new QMenuBar(window->frame);
  // A global menu would take the bar out of the window and leave a gap above the client area.
  bar->setNativeMenuBar(false);
  window->menuBar = bar;
  ShrinkClientForMenuBar(*window, MenuBarHeight());
  bar->show();

  menuBars[number] = MenuBarRecord{bar, {}};
  buildingMenuBar = number;
  openMenus.clear();
  return RefOf(bar);
}

void AddMenuTitle(const std::string& text) {
  MenuBarRecord* record = FindMenuBar(buildingMenuBar);
  if (record == nullptr) {
    return;
  }
  openMenus.assign(1, record->bar->addMenu(QString::fromStdString(text)));
}

void OpenSubMenu(const std::string& text) {
  if (FindMenuBar(buildingMenuBar) == nullptr || openMenus.empty()) {
    return;
  }
  openMenus.push_back(openMenus.back()->addMenu(QString::fromStdString(text)));
}

void CloseSubMenu() {
  // The title itself stays open; only submenus close.
  if (openMenus.size() > 1) {
    openMenus.pop_back();
  }
}

void AddMenuItem(int identifier, const std::string& text) {
  MenuBarRecord* record = FindMenuBar(buildingMenuBar);
  if (record == nullptr || openMenus.empty()) {
    return;
  }
  QAction* item = openMenus.back()->addAction(QString::fromStdString(text));
  QObject::connect(item, &QAction::triggered, item,
                   [item, identifier] { RaiseCommand(item, identifier); });
  record->items[identifier] = item;
}

void SetMenuItemChecked(int menuNumber, int identifier, bool checked) {
  QAction* item = FindItem(menuNumber, identifier);
  if (item == nullptr) {
    return;
  }
  // Items become checkable only when the program first marks them, so plain items show no box.
  item->setCheckable(true);
  item->setChecked(checked);
}

bool MenuItemChecked(int menuNumber, int identifier) {
  QAction* item = FindItem(menuNumber, identifier);
  return item != nullptr && item->isChecked();
}

void TriggerMenuItem(int menuNumber, int identifier) {
  QAction* item = FindItem(menuNumber, identifier);
  if (item != nullptr && item->isEnabled()) {
    item->trigger();
  }
}
