// What the lower layers (the sound commands, the sliders) may reach of the shell: the program's
// controls, its window colour, the main WAV buffer, the render marker, the save dialog's patterns
// and the fatal check.
// The shell defines all of these; nothing else of the shell is visible from below.
#pragma once

#include <cstdint>
#include <string>

#include "sound/wav_buffer.h"
#include "toolkit/toolkit.h"

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
// The WAV image every render goes into and every save reads: the block of the last build.
extern std::uint8_t* MainWavBuffer;
// The control whose press armed rendering, or 0 while nothing has been rendered in this run.
extern ObjectRef RenderMarker;
extern std::string SaveDialogPatterns;

// Returns result when it is non-zero; otherwise shows a modal message naming the step and ends the
// program through Shutdown.
std::intptr_t CheckOrDie(std::intptr_t result, const std::string& label);
