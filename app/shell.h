// Program-wide references of the shell and the procedures that start, run and end the program.
#pragma once

#include <cstdint>
#include <string>

#include "sound/wav_buffer.h"
#include "toolkit/toolkit.h"

constexpr int kMainWindow = 0;
constexpr int kMainMenu = 0;
constexpr int kMainFont = 0;

// Command identifiers of the menu items and shortcuts.
enum Command : int {
  kCommandMono = 0,
  kCommandStereo = 1,
  kCommand16Bits = 3,
  kCommand44100Hz = 7,
  kCommand192000Hz = 8,
  kCommandSave = 9,
  kCommandExit = 11,
  kCommandMakerSite = 28,
  kCommandHelpKey = 29,
  kCommandReturnKey = 30,
};

extern ObjectRef StatusBar;
extern ObjectRef ParameterPanel;
extern ObjectRef FrequencyField;
extern ObjectRef ShapeList;
extern ObjectRef RenderButton;
extern ObjectRef LengthSlider;
extern ObjectRef LengthValueField;
extern ObjectRef AmplitudeSlider;
extern ObjectRef AmplitudeValueField;
extern Colour WindowGroundColour;
extern RenderSettings CurrentRenderSettings;
// The control whose press armed rendering, or 0 while nothing has been rendered in this run.
extern ObjectRef RenderMarker;
extern std::string SaveDialogPatterns;

// Returns result when it is non-zero; otherwise shows a modal message naming the step and ends the
// program through Shutdown.
std::intptr_t CheckOrDie(std::intptr_t result, const std::string& label);
// Says on stderr that the program needs a graphical desktop and why none was found, and ends
// the process as CheckOrDie does, with exit code 0. For a start without any display, where no
// message box can be shown.
[[noreturn]] void EndWithoutDisplay(const std::string& lookedAt);
// Releases the sound output, then everything else, and ends the process with exit code 0.
[[noreturn]] void Shutdown();

// Start-up steps up to the first wait for user input.
void StartUp();
// Handles one event already taken from the queue.
void DispatchEvent(EventKind kind);
// Waits and dispatches until Shutdown ends the process.
[[noreturn]] void RunEventLoop();

// Reads the fields and the shape list and renders into the main WAV buffer.
void RenderFromFields();
// Renders again when armed, otherwise leaves the main WAV buffer empty.
void Rerender();
void SaveRendering(std::uint8_t* buffer, const std::string& defaultFileName);
void OpenMakerSite();
