#include "running_program.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "controls/canvas_slider.h"

namespace quorvel_test {
namespace {

constexpr int kCanvasBorder = 2;
constexpr int kPointerY = 10;

// A HOME whose ALSA default device is the null device, so the sound probe finds a usable output
// on any machine.
void UseNullSoundDevice() {
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("quorvel-shell-home-" + std::to_string(getpid()));
  std::filesystem::create_directories(home);
  std::ofstream(home / ".asoundrc") << "pcm.!default { type null }\n";
  setenv("HOME", home.c_str(), 1);
}

class RunningProgram : public ::testing::Environment {
 public:
  void SetUp() override {
    UseNullSoundDevice();
    StartUp();
  }
  // What Shutdown releases, without ending the test process.
  void TearDown() override {
    ReleaseSound();
    ReleaseToolkit();
  }
};

const auto* const kRunningProgram = ::testing::AddGlobalTestEnvironment(new RunningProgram);

QPoint CanvasPoint(int innerX) { return QPoint(innerX + kCanvasBorder, kPointerY); }

}  // namespace

QWidget* WidgetOf(ObjectRef reference) { return reinterpret_cast<QWidget*>(reference); }

void DispatchQueuedEvents() {
  for (EventKind kind = TakeEvent(); kind != EventKind::None; kind = TakeEvent()) {
    DispatchEvent(kind);
  }
}

void DiscardQueuedEvents() {
  while (TakeEvent() != EventKind::None) {
  }
}

void ClickRenderButton() {
  QTest::mouseClick(WidgetOf(RenderButton), Qt::LeftButton);
  DispatchQueuedEvents();
}

void PressSlider(ObjectRef slider, int innerX) {
  QTest::mousePress(WidgetOf(slider), Qt::LeftButton, {}, CanvasPoint(innerX));
  DispatchQueuedEvents();
}

void DragSlider(ObjectRef slider, int innerX) {
  QWidget* canvas = WidgetOf(slider);
  // QTest::mouseMove carries no button state, so the drag is sent as the platform would.
  QMouseEvent move(QEvent::MouseMove, CanvasPoint(innerX), canvas->mapToGlobal(CanvasPoint(innerX)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(canvas, &move);
  DispatchQueuedEvents();
}

void ReleaseSlider(ObjectRef slider, int innerX) {
  QTest::mouseRelease(WidgetOf(slider), Qt::LeftButton, {}, CanvasPoint(innerX));
  DispatchQueuedEvents();
}

void ChooseShape(int index) {
  auto* list = qobject_cast<QComboBox*>(WidgetOf(ShapeList));
  list->setFocus();
  while (list->currentIndex() < index) QTest::keyClick(list, Qt::Key_Down);
  while (list->currentIndex() > index) QTest::keyClick(list, Qt::Key_Up);
  DispatchQueuedEvents();
}

void TypeFrequency(const std::string& text) {
  auto* field = qobject_cast<QLineEdit*>(WidgetOf(FrequencyField));
  field->setFocus();
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Delete);
  QTest::keyClicks(field, QString::fromStdString(text));
  DispatchQueuedEvents();
}

void ChooseMenuCommand(int command) {
  TriggerMenuItem(kMainMenu, command);
  DispatchQueuedEvents();
}

std::uint32_t DataSize() { return ReadLE32(MainWavBuffer + kDataSizeOffset); }
std::uint32_t RiffSize() { return ReadLE32(MainWavBuffer + kRiffSizeOffset); }
std::uint16_t Channels() { return ReadLE16(MainWavBuffer + kChannelsOffset); }
std::uint32_t SampleRate() { return ReadLE32(MainWavBuffer + kSampleRateOffset); }

std::int16_t SampleAt(std::size_t index) {
  return static_cast<std::int16_t>(ReadLE16(MainWavBuffer + kWavHeaderSize + 2 * index));
}

void RestoreStartState() {
  RenderMarker = 0;
  ChooseMenuCommand(kCommandMono);
  ChooseMenuCommand(kCommand44100Hz);
  SetControlText(FrequencyField, "997");
  SetControlText(AmplitudeValueField, "90");
  SetControlText(LengthValueField, "3.0");
  SetListSelection(ShapeList, 0);
  DiscardQueuedEvents();
}

}  // namespace quorvel_test
