// Program-wide references of the shell and the procedures that start, run and end the program.
#pragma once

#include <cstdint>
#include <string>

#include "app/program_references.h"
#include "sound/rendering_commands.h"
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

void OpenMakerSite();
