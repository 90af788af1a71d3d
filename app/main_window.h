// The pieces of the main window that start-up puts together, in the order it calls them.
#pragma once

#include "toolkit/toolkit.h"

constexpr Colour kWindowColour = 0xF0F0F0;
constexpr Colour kFrequencyFieldColour = 0xFFFFFF;

std::string MainWindowTitle();
// Opens the window so that the client area below a menu bar attached later is 350 x 379.
ObjectRef OpenMainWindow();
void CreateMainStatusBar();
void AddMainShortcuts();
// Menus with their first check marks and status-bar texts; without a menu bar, nothing.
void BuildMainMenu();
// The colour the window really shows, which the sliders paint as their ground.
Colour ReadWindowGroundColour();
// The hidden parameter panel with every control in it.
void CreateParameterPanel();
