// The program-wide references that start-up fills in and the other procedures read.
#include "app/shell.h"

ObjectRef StatusBar = 0;
ObjectRef ParameterPanel = 0;
ObjectRef FrequencyField = 0;
ObjectRef ShapeList = 0;
ObjectRef RenderButton = 0;
ObjectRef LengthSlider = 0;
ObjectRef LengthValueField = 0;
ObjectRef AmplitudeSlider = 0;
ObjectRef AmplitudeValueField = 0;
Colour WindowGroundColour = 0;
RenderSettings CurrentRenderSettings = kStartRenderSettings;
std::uint8_t* MainWavBuffer = nullptr;
ObjectRef RenderMarker = 0;
std::string SaveDialogPatterns;
