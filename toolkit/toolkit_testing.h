// Operations only the tests use: they read back what the program set, or do what a user or the
// platform would. The program itself never includes this header.
#pragma once

#include <cstddef>
#include <string>

#include "toolkit/toolkit.h"

// ---- windows ------------------------------------------------------------------------------------

std::string WindowTitle(int number);
// Client area size below the menu bar.
int WindowClientWidth(int number);
int WindowClientHeight(int number);

// ---- menus --------------------------------------------------------------------------------------

bool MenuItemChecked(int menuNumber, int identifier);
// Chooses an item as the user would: it raises its command event.
void TriggerMenuItem(int menuNumber, int identifier);

// ---- status bar ---------------------------------------------------------------------------------

std::string StatusBarText(ObjectRef statusBar, int field);
int StatusBarFieldWidth(ObjectRef statusBar, int field);

// ---- controls -----------------------------------------------------------------------------------

bool ControlVisible(ObjectRef control);
int ControlX(ObjectRef control);
int ControlY(ObjectRef control);

// ---- events -------------------------------------------------------------------------------------

int CanvasPointerY(ObjectRef canvas);

// ---- fonts --------------------------------------------------------------------------------------

int FontCharacterHeight(int number);

// ---- files --------------------------------------------------------------------------------------

constexpr long long kFileMissing = -1;
constexpr long long kFileIsFolder = -2;

long long FileSize(const std::string& path);
// Creates the file or empties an existing one; 0 on failure.
ObjectRef CreateFile(int number, const std::string& path);
bool WriteData(int number, const void* data, std::size_t length);
// Writes out what is buffered and closes; true only when every byte reached the disk.
bool CloseFile(int number);
