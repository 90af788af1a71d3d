// The program's only door to the platform: windows, menus, controls, drawing, fonts, dialogs,
// files, the sound-output probe and the web browser. Plain C++ on purpose: nothing here names a
// Qt or ALSA type, so everything above this layer is ordinary code that tests can drive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Opaque pointer-sized identity of a toolkit object. 0 always means failure or "none".
using ObjectRef = std::intptr_t;

// Colours are 0x00BBGGRR: the low byte is red.
using Colour = std::uint32_t;

// ---- services --------------------------------------------------------------------------------

// "" when a graphical display can be reached; otherwise which variables were looked at and
// what they held. Needs no toolkit: it is asked before the toolkit starts.
std::string MissingDisplay();
// Starts the toolkit (the Qt application object). Must come before every other call.
bool InitToolkit();
// Releases every window, control, font, file and the event queue; the sound output must already
// have been released.
void ReleaseToolkit();

// ---- sound output ----------------------------------------------------------------------------

// Non-zero when the system's default playback device can be opened; it stays open until
// ReleaseSound. Nothing is ever played.
ObjectRef InitSound();
void ReleaseSound();

// ---- windows ---------------------------------------------------------------------------------

enum WindowStyle : unsigned {
  kWindowTitleBar = 1u << 0,
  kWindowSystemMenu = 1u << 1,
  kWindowMinimiseButton = 1u << 2,
};

// Height of a single-line menu bar, so a caller can ask for a client area that still holds its
// full size once the menu bar is attached.
int MenuBarHeight();

// Opens a fixed-size window whose client area is innerWidth x innerHeight, with its outer top-left
// corner at (x, y), shown at once. Controls created afterwards go into it. 0 on failure.
ObjectRef OpenWindow(int number, int x, int y, int innerWidth, int innerHeight,
                     const std::string& title, unsigned style);
ObjectRef WindowHandle(int number);
void SetWindowColour(int number, Colour colour);
// Number of the program's window that is the foreground window, else -1.
int ActiveWindow();

// ---- menus -----------------------------------------------------------------------------------

ObjectRef CreateMenuBar(int number, ObjectRef windowHandle);
void AddMenuTitle(const std::string& text);
void OpenSubMenu(const std::string& text);
void CloseSubMenu();
void AddMenuItem(int identifier, const std::string& text);
void SetMenuItemChecked(int menuNumber, int identifier, bool checked);

// ---- status bar ------------------------------------------------------------------------------

// As a field width: share the remaining width equally among all fields declared so.
constexpr int kKeepValue = -65535;

ObjectRef CreateStatusBar(ObjectRef windowHandle);
void AddStatusBarField(int width);
void SetStatusBarText(ObjectRef statusBar, int field, const std::string& text);

// ---- keyboard shortcuts ----------------------------------------------------------------------

enum class ShortcutKey { F1, Return };
// The key, pressed while the window is active, raises a command event with the identifier.
void AddKeyboardShortcut(int window, ShortcutKey key, int identifier);

// ---- controls --------------------------------------------------------------------------------

enum ControlOption : unsigned {
  kTextBorderless = 1u << 0,
  kTextCentred = 1u << 1,
  kTextSunkenBorder = 1u << 2,
  kCanvasBorder = 1u << 3,          // 2-pixel sunken edge; the picture is 4 pixels smaller
  kCanvasConfinePointer = 1u << 4,  // positions stay inside while a button is held
  kCanvasKeyboardFocus = 1u << 5,
};

// Every creating call places the control in the current window or the open panel and returns
// its reference, or 0.
ObjectRef CreateTextField(int x, int y, int width, int height, const std::string& text,
                          unsigned options);
ObjectRef CreateStaticText(int x, int y, int width, int height, const std::string& text,
                           unsigned options);
ObjectRef CreateButton(int x, int y, int width, int height, const std::string& label);
ObjectRef CreateDropDownList(int x, int y, int width, int height);
ObjectRef CreateCanvas(int x, int y, int width, int height, unsigned options);
// Controls created after a panel, until ClosePanel, are its children, placed relative to it and
// clipped at its edges.
ObjectRef CreatePanel(int x, int y, int width, int height);
void ClosePanel();

void HideControl(ObjectRef control, bool hidden);
void SetControlText(ObjectRef control, const std::string& text);
std::string ControlText(ObjectRef control);
void AddListItem(ObjectRef list, const std::string& text);
void SetListSelection(ObjectRef list, int index);
int ListSelection(ObjectRef list);
void SetControlColour(ObjectRef control, Colour colour);
void SetControlData(ObjectRef control, std::intptr_t value);
std::intptr_t ControlData(ObjectRef control);
int ControlWidth(ObjectRef control);
int ControlHeight(ObjectRef control);
// Font for every control created afterwards.
void SetDefaultFont(ObjectRef fontHandle);

// ---- assistive technology --------------------------------------------------------------------

// What a screen reader is told of a control; nothing on screen changes.
void SetAccessibleName(ObjectRef control, const std::string& name);
// The static text labels the control: each is reported as the other's label or labelled one,
// and a control without a text of its own takes the label's text as its name.
void LabelControl(ObjectRef label, ObjectRef control);

struct AccessibleSliderValue {
  double minimum;
  double maximum;
  double step;
  double value;
  std::string text;
};
// The canvas is reported as a slider with this range and value, which assistive technology can
// read but not set.
void SetAccessibleSliderValue(ObjectRef canvas, const AccessibleSliderValue& value);

// ---- events ----------------------------------------------------------------------------------

enum class EventKind { None, Control, Command, CloseRequest, Other };

enum class EventSubtype {
  None,
  PointerEntered,
  PointerLeft,
  PointerMoved,
  LeftButtonDown,
  LeftButtonUp,
  RightButtonDown,
  RightButtonUp,
  MiddleButtonDown,
  MiddleButtonUp,
  Wheel,
  KeyDown,
  KeyUp,
  Focus,
  LostFocus,
  Change,
};

// Blocks until an event is queued, takes it and returns its kind.
EventKind WaitForEvent();
// Takes the next event without waiting; EventKind::None when the queue is empty.
EventKind TakeEvent();
// Of the event last taken: the control reference or the command identifier, and the subtype.
ObjectRef EventObject();
EventSubtype EventType();

// Button-state bits of a canvas event.
constexpr int kLeftButtonBit = 1;
constexpr int kRightButtonBit = 2;
constexpr int kMiddleButtonBit = 4;

// For the canvas's own current event: pointer position in inner coordinates and the button
// state, sampled when the event was raised; 0 when asked outside that event.
int CanvasPointerX(ObjectRef canvas);
int CanvasButtons(ObjectRef canvas);

// ---- drawing ---------------------------------------------------------------------------------

// 0 on failure. Until StopDrawing, the calls below act on this target.
ObjectRef StartDrawingOnCanvas(ObjectRef canvas);
ObjectRef StartDrawingOnWindow(int number);
void FillRectangle(int x, int y, int width, int height, Colour colour);
// What PixelColour gives outside the target's picture or while nothing is being drawn on.
constexpr Colour kNoColour = 0xFFFFFFFFu;
Colour PixelColour(int x, int y);
// A canvas then shows the new picture.
void StopDrawing();

// ---- fonts -----------------------------------------------------------------------------------

ObjectRef LoadFont(int number, const std::string& faceName, int points);
ObjectRef FontHandle(int number);

// ---- dialogs ---------------------------------------------------------------------------------

constexpr int kAnswerYes = 6;

void ShowMessage(const std::string& title, const std::string& text);
// kAnswerYes for Yes; anything else means No.
int AskYesNo(const std::string& title, const std::string& text);
// patterns: "label|pattern|label|pattern...". The folder of defaultPath is the starting folder,
// its name the proposed name. Returns the chosen full path, or "" when cancelled.
std::string AskSaveFileName(const std::string& title, const std::string& defaultPath,
                            const std::string& patterns, int patternIndex);

// ---- files -----------------------------------------------------------------------------------

// In their own header: they need no display, and the render command uses them alone.
#include "files/file_writer.h"

// ---- web -------------------------------------------------------------------------------------

void OpenWebAddress(const std::string& address);
