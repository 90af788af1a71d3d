// The program started once in this test process, and ways to drive it as a user would.
#pragma once

#include <QPoint>
#include <QWidget>

#include <cstdint>
#include <string>

#include "app/shell.h"
#include "toolkit/toolkit_testing.h"

namespace quorvel_test {

QWidget* WidgetOf(ObjectRef reference);

// Takes and handles every queued event, as the event loop would.
void DispatchQueuedEvents();
// Takes every queued event without handling it.
void DiscardQueuedEvents();

void ClickRenderButton();
// Inner x of the slider, so the border is added here.
void PressSlider(ObjectRef slider, int innerX);
void DragSlider(ObjectRef slider, int innerX);
void ReleaseSlider(ObjectRef slider, int innerX);
void ChooseShape(int index);
void TypeFrequency(const std::string& text);
void ChooseMenuCommand(int command);

std::uint32_t DataSize();
std::uint32_t RiffSize();
std::uint16_t Channels();
std::uint32_t SampleRate();
std::int16_t SampleAt(std::size_t index);

// Back to the state right after start-up: nothing rendered, defaults shown, mono 44100 Hz.
void RestoreStartState();

}  // namespace quorvel_test
