// A slider the program draws itself on a bordered canvas.
#pragma once

#include "toolkit/toolkit.h"

constexpr int kAutomaticIdentifier = -1;

// Value of the slider last pressed or dragged; 0 until the first press.
extern int SliderValue;

ObjectRef CreateCanvasSlider(int number, int x, int y, int width, int height, int value,
                             int maximum);
// Tells assistive technology the slider's name and the value its readout shows.
void NameSlider(ObjectRef canvas, const std::string& name, int value);
// Returns SliderValue on a left-button release, 0 for everything else.
int HandleSliderEvent(EventSubtype subtype, ObjectRef canvas);
