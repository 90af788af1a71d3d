// The shape table against the window's engine.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "signals/shape_table.h"
#include "sound/wav_buffer.h"

namespace {

TEST(ShapeTable, TheWindowsShapesComeFirstWithItsCodesAndEveryRowIsWhole) {
  const auto table = ShapeTable();
  ASSERT_GE(table.size(), std::size(kShapeNames));
  for (std::size_t i = 0; i < std::size(kShapeNames); ++i) {
    EXPECT_EQ(std::string(table[i].name), kShapeNames[i]);
    EXPECT_EQ(table[i].windowCode, kFirstShapeCode + static_cast<int>(i));
  }
  std::set<std::string> names;
  for (const ShapeRow& row : table) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(names.insert(row.name).second) << "named twice";
    EXPECT_EQ(ShapeNamed(row.name), &row);
    EXPECT_NE(row.plan, nullptr);
    EXPECT_EQ(row.parameter != nullptr, (row.takes & kTakesParameter) != 0);
    if (row.windowCode == 0) {
      EXPECT_FALSE(row.takes & kTakesFrequency) << "a tone the window lacks";
    }
  }
  EXPECT_EQ(ShapeNamed("sinus"), nullptr);
}

}  // namespace
