// The commands that render from the window's fields and save the rendering.
#pragma once

#include <cstdint>
#include <string>

// Empties the main WAV buffer.
void ClearWavBuffer();
// Reads the fields and the shape list and renders into the main WAV buffer.
void RenderFromFields();
// Renders again when armed, otherwise leaves the main WAV buffer empty.
void Rerender();
void SaveRendering(std::uint8_t* buffer, const std::string& defaultFileName);
