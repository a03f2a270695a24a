// The overall percentage of the progress dialog: the integer rule of most
// steps, and the floating-point rule of steps 90 and 100, which differ
// where the divisions leave remainders.
#include <gtest/gtest.h>

#include "font/Progress.h"

namespace {

TEST(OverallPercent, TheTwoRulesDifferWhereTheDivisionsLeaveRemainders) {
  // The last of 381 fonts at step 100: 99 + 0 by integers, 100 in floating point.
  EXPECT_EQ(OverallPercent(380, 381, 100), 99);
  EXPECT_EQ(OverallPercentFloat(380, 381, 100), 100);
  // The third of 3 fonts: 66 + 33 against 100 at step 100; both 96 at step 90.
  EXPECT_EQ(OverallPercent(2, 3, 100), 99);
  EXPECT_EQ(OverallPercentFloat(2, 3, 100), 100);
  EXPECT_EQ(OverallPercent(2, 3, 90), 96);
  EXPECT_EQ(OverallPercentFloat(2, 3, 90), 96);
  // One font: the step itself; no count counts as one.
  EXPECT_EQ(OverallPercentFloat(0, 1, 90), 90);
  EXPECT_EQ(OverallPercent(0, 0, 40), 40);
}

}  // namespace
