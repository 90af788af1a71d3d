#include "app/main_window.h"

#include "app/output_format.h"
#include "app/shell.h"

namespace {

constexpr int kWindowX = 50;
constexpr int kWindowY = 50;
constexpr int kClientWidth = 350;
constexpr int kClientHeightBelowMenu = 379;
constexpr unsigned kMainWindowStyle = kWindowTitleBar | kWindowSystemMenu | kWindowMinimiseButton;
constexpr int kStatusBarFields = 3;
constexpr int kGroundProbeX = 10;
constexpr int kGroundProbeY = 10;

static_assert(QUORVEL_BITS == sizeof(void*) * 8, "QUORVEL_BITS must match the pointer size");

}  // namespace

std::string MainWindowTitle() {
  return "Quorvel " + std::to_string(QUORVEL_BITS) + " - Tenbrisk Audio";
}

ObjectRef OpenMainWindow() {
  return OpenWindow(kMainWindow, kWindowX, kWindowY, kClientWidth,
                    kClientHeightBelowMenu + MenuBarHeight(), MainWindowTitle(), kMainWindowStyle);
}

void CreateMainStatusBar() {
  StatusBar = CreateStatusBar(WindowHandle(kMainWindow));
  if (StatusBar == 0) return;
  for (int field = 0; field < kStatusBarFields; ++field) AddStatusBarField(kKeepValue);
}

void AddMainShortcuts() {
  AddKeyboardShortcut(kMainWindow, ShortcutKey::F1, kCommandHelpKey);
  AddKeyboardShortcut(kMainWindow, ShortcutKey::Return, kCommandReturnKey);
}

void BuildMainMenu() {
  if (CreateMenuBar(kMainMenu, WindowHandle(kMainWindow)) == 0) return;
  const RenderSettings& settings = CurrentRenderSettings;

  AddMenuTitle("File");
  AddMenuItem(kCommandSave, "Save Rendering Shape (Wav)");
  AddMenuItem(kCommandExit, "Exit");

  AddMenuTitle("Options");
  OpenSubMenu("channels");
  AddMenuItem(kCommandMono, "mono");
  AddMenuItem(kCommandStereo, "stereo");
  SetMenuItemChecked(kMainMenu, ChannelsCommand(settings.channels), true);
  SetStatusBarText(StatusBar, kStatusFieldChannels, ChannelsStatusText(settings.channels));
  CloseSubMenu();

  OpenSubMenu("sample rate");
  AddMenuItem(kCommand44100Hz, "44100 Hz");
  SetMenuItemChecked(kMainMenu, SampleRateCommand(settings.sampleRate), true);
  AddMenuItem(kCommand192000Hz, "192000 Hz");
  SetStatusBarText(StatusBar, kStatusFieldSampleRate, SampleRateStatusText(settings.sampleRate));
  CloseSubMenu();

  OpenSubMenu("resolution");
  AddMenuItem(kCommand16Bits, "16 bits");
  SetMenuItemChecked(kMainMenu, ResolutionCommand(settings.bytesPerSample), true);
  SetStatusBarText(StatusBar, kStatusFieldResolution,
                   ResolutionStatusText(settings.bytesPerSample));
  CloseSubMenu();

  AddMenuTitle("About");
  AddMenuItem(kCommandMakerSite, "Tenbrisk Audio");
}

Colour ReadWindowGroundColour() {
  // Without a drawing target the colour the window was given is the best guess of what it shows.
  if (StartDrawingOnWindow(kMainWindow) == 0) return kWindowColour;
  const Colour ground = PixelColour(kGroundProbeX, kGroundProbeY);
  StopDrawing();
  return ground;
}
