// Numbers in words the user reads back: the shortest text that reads as the same number,
// whatever the locale ("997", "22050", "0.1").
#pragma once

#include <string>

std::string NumberText(float value);
std::string NumberText(double value);
