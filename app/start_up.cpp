// Everything between process start and the first wait for user input, in its fixed order.
#include "app/main_window.h"
#include "app/output_format.h"
#include "app/shell.h"

namespace {

constexpr const char* kDefaultFontFace = "Arial";
constexpr int kDefaultFontPoints = 10;

// Events raised while the window is being built are consumed, never acted on.
void DiscardQueuedEvents() {
  while (TakeEvent() != EventKind::None) {
  }
}

}  // namespace

void StartUp() {
  const std::string missingDisplay = MissingDisplay();
  if (!missingDisplay.empty()) EndWithoutDisplay(missingDisplay);
  InitToolkit();
  SaveDialogPatterns = "Audio (*.wav)|*.wav|All files (*.*)|*.*";
  CheckOrDie(InitSound(), "InitSound");
  CurrentRenderSettings = kStartRenderSettings;
  CheckOrDie(OpenMainWindow(), "OpenWindow");
  CreateMainStatusBar();
  SetWindowColour(kMainWindow, kWindowColour);
  CheckOrDie(LoadFont(kMainFont, kDefaultFontFace, kDefaultFontPoints), "Font 'Arial'");
  SetDefaultFont(FontHandle(kMainFont));
  AddMainShortcuts();
  BuildMainMenu();
  WindowGroundColour = ReadWindowGroundColour();
  CreateParameterPanel();
  RebuildMainWavBuffer();
  DiscardQueuedEvents();
  HideControl(ParameterPanel, false);
  DiscardQueuedEvents();
}
