// A thousand format changes with rendering armed: every rebuild frees the block it replaces, so
// the resident size stays where it was after the first round of formats.
#include <gtest/gtest.h>

#include <unistd.h>
#include <fstream>

#include "app/shell.h"
#include "tests/app/running_program.h"

namespace {

using namespace quorvel_test;

constexpr int kFormatChanges = 1000;
constexpr long kAllowedGrowthBytes = 1 << 20;

long ResidentBytes() {
  long pages = 0;
  long resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

TEST(MemoryFlat, AThousandFormatChangesKeepTheResidentSize) {
  static constexpr int kCommands[] = {kCommandStereo, kCommand192000Hz, kCommandMono,
                                      kCommand44100Hz};
  ClickRenderButton();
  // The shortest length keeps each render cheap; the blocks are rebuilt at full size regardless.
  PressSlider(LengthSlider, 0);
  ReleaseSlider(LengthSlider, 0);
  // The first rounds meet every block size, the largest included, and let the C library settle
  // which blocks it maps and which it keeps for reuse; a fresh block's untouched pages are not
  // resident, so that settling shows over four rounds. From then on nothing may pile up.
  constexpr int kSettlingChanges = 16;
  for (int change = 0; change < kSettlingChanges; ++change)
    ChooseMenuCommand(kCommands[change % 4]);
  const long afterFirst = ResidentBytes();
  for (int change = kSettlingChanges; change < kFormatChanges; ++change) {
    ChooseMenuCommand(kCommands[change % 4]);
  }
  const long growth = ResidentBytes() - afterFirst;
  std::printf("resident size change over %d format changes: %ld bytes\n", kFormatChanges, growth);
  EXPECT_LT(growth, kAllowedGrowthBytes);
  EXPECT_EQ(DataSize(), 8820u);  // armed to the end: 0.1 s mono at 44100 Hz
}

}  // namespace
