// A long random session of user actions from a fixed seed. After every action the buffer, the
// header, the readouts, the check marks and the status bar must agree with what the user did.
// The session ends with Exit, so the process must end with exit code 0.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/shell.h"
#include "controls/canvas_slider.h"
#include "tests/app/modal_answerer.h"
#include "tests/app/running_program.h"
#include "toolkit/toolkit_testing.h"

namespace {

using namespace quorvel_test;

constexpr unsigned kSeed = 20261208;
constexpr int kSliderInnerWidth = 145;
constexpr int kLengthMaximum = 100;
constexpr int kAmplitudeMaximum = 101;

// What the user has done, from which the program's state follows.
struct Expected {
  bool armed = false;
  int channels = 1;
  int sampleRate = 44100;
  int lengthValue = 30;
  int amplitudeValue = 91;
};

// QTest only types Latin-1 keys; this types any text as key events that carry the characters.
void TypeAnyText(const std::string& text) {
  TypeFrequency("");
  QWidget* field = WidgetOf(FrequencyField);
  for (const QChar character : QString::fromStdString(text)) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
    QApplication::sendEvent(field, &press);
  }
  DispatchQueuedEvents();
}

class RandomSession {
 public:
  explicit RandomSession(unsigned seed) : random_(seed) {
    folder_ = std::filesystem::temp_directory_path() / ("quorvel-session-" + std::to_string(seed));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ / "a folder");
    std::ofstream(folder_ / "not a folder") << "x";
  }
  ~RandomSession() { std::filesystem::remove_all(folder_); }

  std::string Step() {
    switch (Pick(7)) {
      case 0: return SlideRandomly();
      case 1: return ChooseRandomShape();
      case 2: return ChooseRandomFormat();
      case 3: return PressRender();
      case 4: return TypeRandomFrequency();
      case 5: return SaveRandomly();
      default: return PressOutsideSlider();
    }
  }

  void CheckInvariants() const {
    ASSERT_EQ(Channels(), expected_.channels);
    ASSERT_EQ(SampleRate(), static_cast<std::uint32_t>(expected_.sampleRate));
    ASSERT_EQ(RiffSize(), 20u * expected_.sampleRate * 2 * expected_.channels + 36);
    ASSERT_EQ(ControlText(LengthValueField), LengthText(expected_.lengthValue));
    ASSERT_EQ(ControlText(AmplitudeValueField), std::to_string(expected_.amplitudeValue - 1));
    ASSERT_EQ(MenuItemChecked(kMainMenu, kCommandMono), expected_.channels == 1);
    ASSERT_EQ(MenuItemChecked(kMainMenu, kCommandStereo), expected_.channels == 2);
    ASSERT_EQ(MenuItemChecked(kMainMenu, kCommand44100Hz), expected_.sampleRate == 44100);
    ASSERT_EQ(MenuItemChecked(kMainMenu, kCommand192000Hz), expected_.sampleRate == 192000);
    ASSERT_EQ(StatusBarText(StatusBar, 0), std::to_string(expected_.sampleRate) + " Hz");
    ASSERT_EQ(StatusBarText(StatusBar, 1), expected_.channels == 1 ? "Mono" : "Stereo");
    // Lengths of whole tenths of a second give whole frames, whatever the format.
    const std::uint32_t expectedBytes =
        expected_.armed ? static_cast<std::uint32_t>(expected_.lengthValue) *
                              (expected_.sampleRate / 10) * 2 * expected_.channels
                        : 0;
    ASSERT_EQ(DataSize(), expectedBytes);
  }

 private:
  int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }
  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  static std::string LengthText(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f",
                  static_cast<double>(static_cast<float>(value) / 10.0f));
    return text;
  }

  static int ValueAt(int innerX, int maximum) {
    const int confined = std::clamp(innerX, 0, kSliderInnerWidth - 1);
    const float scale = static_cast<float>(static_cast<double>(kSliderInnerWidth) / maximum);
    return static_cast<int>(static_cast<double>(confined) / scale) + 1;
  }

  std::string SlideRandomly() {
    const bool length = Pick(2) == 0;
    const ObjectRef slider = length ? LengthSlider : AmplitudeSlider;
    const int maximum = length ? kLengthMaximum : kAmplitudeMaximum;
    int& value = length ? expected_.lengthValue : expected_.amplitudeValue;
    std::ostringstream log;
    int x = Between(0, kSliderInnerWidth - 1);
    log << (length ? "Length" : "Amplitude") << " press " << x;
    PressSlider(slider, x);
    value = ValueAt(x, maximum);
    for (int drags = Pick(4); drags > 0; --drags) {
      x = Between(-60, kSliderInnerWidth + 60);  // beyond both ends too
      log << " drag " << x;
      DragSlider(slider, x);
      value = ValueAt(x, maximum);
    }
    log << " release";
    ReleaseSlider(slider, x);
    return log.str();
  }

  std::string PressOutsideSlider() {
    // On the sunken edge: not the slider's, so nothing changes.
    const ObjectRef slider = Pick(2) == 0 ? LengthSlider : AmplitudeSlider;
    PressSlider(slider, -2);
    ReleaseSlider(slider, -2);
    return "press on a slider's edge";
  }

  std::string ChooseRandomShape() {
    const int shape = Pick(4);
    ChooseShape(shape);
    return "shape " + std::to_string(shape);
  }

  std::string ChooseRandomFormat() {
    static constexpr int kCommands[] = {kCommandMono, kCommandStereo, kCommand16Bits,
                                        kCommand44100Hz, kCommand192000Hz};
    const int command = kCommands[Pick(5)];
    ChooseMenuCommand(command);
    if (command == kCommandMono || command == kCommandStereo) {
      expected_.channels = command == kCommandMono ? 1 : 2;
    } else if (command != kCommand16Bits) {
      expected_.sampleRate = command == kCommand44100Hz ? 44100 : 192000;
    }
    return "command " + std::to_string(command);
  }

  std::string PressRender() {
    ClickRenderButton();
    expected_.armed = true;
    return "render";
  }

  std::string TypeRandomFrequency() {
    static const std::vector<std::string> kTexts = {"997",
                                                    "",
                                                    "5",
                                                    "30000",
                                                    "95999",
                                                    "96000",
                                                    "22049",
                                                    "997.3",
                                                    "NaN",
                                                    "-Infinity",
                                                    "+infinity",
                                                    "inf",
                                                    "0x10",
                                                    "1e40",
                                                    "-1e40",
                                                    "  12.5abc",
                                                    "\t440",
                                                    "äöü€ 440",
                                                    "440 Hz",
                                                    "1e-45",
                                                    "-",
                                                    ".",
                                                    "1.",
                                                    std::string(5000, '9'),
                                                    std::string(3000, 'x')};
    const std::string& text = kTexts[Pick(static_cast<int>(kTexts.size()))];
    TypeAnyText(text);
    return "type frequency of " + std::to_string(text.size()) + " bytes";
  }

  static long long SizeAt(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return -2;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<long long>(size);
  }

  std::string SaveRandomly() {
    static const std::vector<std::string> kNames = {"tone.wav", "a folder", "not a folder/x.wav",
                                                    "missing/x.wav"};
    const std::filesystem::path path = folder_ / kNames[Pick(static_cast<int>(kNames.size()))];
    const bool cancel = Pick(4) == 0;
    const bool overwrite = Pick(2) == 0;
    const long long sizeBefore = SizeAt(path);
    const std::uint32_t dataSize = DataSize();
    WithAnswers({cancel ? CancelDialog() : ChooseFile(path.string()),
                 PressButton(overwrite ? "Yes" : "No"), PressButton("OK")},
                [] { ChooseMenuCommand(kCommandSave); });
    const bool writes =
        dataSize > 0 && !cancel && (sizeBefore == -1 || overwrite) && path.filename() == "tone.wav";
    // A saved file holds the header and exactly the rendered bytes; anything else stays as it was.
    EXPECT_EQ(SizeAt(path), writes ? dataSize + 44 : sizeBefore) << path;
    EXPECT_EQ(DataSize(), dataSize);
    return std::string("save to ") + path.string() + (cancel ? " (cancel)" : "") +
           (overwrite ? " (yes)" : " (no)");
  }

  std::mt19937 random_;
  std::filesystem::path folder_;
  Expected expected_;
};

TEST(RandomSession, EveryActionKeepsTheProgramConsistentAndExitEndsIt) {
  RandomSession session(kSeed);
  std::vector<std::string> history;
  for (int action = 0; action < QUORVEL_SESSION_ACTIONS; ++action) {
    history.push_back(session.Step());
    SCOPED_TRACE("seed " + std::to_string(kSeed) + ", action " + std::to_string(action) + ": " +
                 history.back());
    session.CheckInvariants();
    if (HasFatalFailure() || HasFailure()) {
      for (std::size_t i = history.size() > 10 ? history.size() - 10 : 0; i < history.size(); ++i) {
        ADD_FAILURE() << "action " << i << ": " << history[i];
      }
      return;
    }
  }
  std::printf("%d random actions passed (seed %u); exiting through the Exit command\n",
              QUORVEL_SESSION_ACTIONS, kSeed);
  std::fflush(stdout);
  ChooseMenuCommand(kCommandExit);  // ends the process with exit code 0
  FAIL() << "Exit returned";
}

}  // namespace
