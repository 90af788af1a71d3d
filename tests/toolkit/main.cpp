// One toolkit for the whole test program, as the program itself has one.
#include <gtest/gtest.h>

#include <cstdlib>

#include "toolkit/toolkit.h"

int main(int argc, char** argv) {
  // Listing the tests runs without ctest's environment; the tests never need a real screen.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testing::InitGoogleTest(&argc, argv);
  if (!InitToolkit()) {
    return 1;
  }
  const int result = RUN_ALL_TESTS();
  ReleaseToolkit();
  return result;
}
