// The sound probe against real ALSA configurations written into a temporary home folder.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "tests/toolkit/test_support.h"

namespace {

// Keeps an environment variable's value and puts it back afterwards.
class SavedVariable {
 public:
  explicit SavedVariable(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) {
      value_ = value;
    }
  }
  ~SavedVariable() {
    if (value_) {
      setenv(name_, value_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> value_;
};

class SoundOutput : public testing::Test {
 protected:
  // Makes `configuration` the user's whole ALSA configuration for the next probe.
  void UseConfiguration(const std::string& configuration) {
    home_.emplace();
    ASSERT_TRUE(home_->isValid());
    std::ofstream(home_->filePath(".asoundrc").toStdString()) << configuration;
    setenv("HOME", home_->path().toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_HOME", home_->filePath(".config").toLocal8Bit().constData(), 1);
  }

  void TearDown() override { ReleaseSound(); }

 private:
  SavedVariable home_variable_{"HOME"};
  SavedVariable config_variable_{"XDG_CONFIG_HOME"};
  std::optional<QTemporaryDir> home_;
};

}  // namespace

TEST_F(SoundOutput, UsableDefaultDeviceIsOpenedAndHeldUntilReleased) {
  UseConfiguration("pcm.!default { type null }\n");
  const ObjectRef device = InitSound();
  EXPECT_NE(device, 0);
  EXPECT_EQ(InitSound(), device) << "one device, held";
  ReleaseSound();
  ReleaseSound();
}

TEST_F(SoundOutput, MissingCardGivesZeroQuietly) {
  UseConfiguration("pcm.!default { type hw card 7 device 0 }\nctl.!default { type hw card 7 }\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(InitSound(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(SoundOutput, EachProbeReadsTheConfigurationAsItIsThen) {
  UseConfiguration("pcm.!default { type hw card 7 }\n");
  EXPECT_EQ(InitSound(), 0);
  UseConfiguration("pcm.!default { type null }\n");
  EXPECT_NE(InitSound(), 0);
  ReleaseSound();
  UseConfiguration("pcm.!default { type hw card 7 }\n");
  EXPECT_EQ(InitSound(), 0);
}

TEST_F(SoundOutput, DeviceThatOpensButTakesNoSixteenBitSamplesDoesNotCount) {
  // A mu-law encoder over a linear slave takes only mu-law samples from the program.
  UseConfiguration("pcm.!default { type mulaw slave { pcm { type null } format S16_LE } }\n");
  EXPECT_EQ(InitSound(), 0);
}

// The desktop's way: ALSA's default through pipewire-alsa to a PipeWire daemon. Run inside a
// daemon of its own by render_command.pipewire (which says so in QUORVEL_PIPEWIRE_SESSION);
// skipped anywhere else.
TEST_F(SoundOutput, OpensTheDefaultDeviceThroughPipeWire) {
  if (std::getenv("QUORVEL_PIPEWIRE_SESSION") == nullptr) GTEST_SKIP() << "no PipeWire session";
  UseConfiguration("pcm.!default { type pipewire }\nctl.!default { type pipewire }\n");
  EXPECT_NE(InitSound(), 0);
}
