// The precise clock and the elapsed-time text. The text rounds down in
// extended precision, so durations a hair below a round value lose a
// millisecond; these vectors pin that down.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/UnitMSec.h"

namespace tarnwell {
namespace {

double Days(double seconds) { return seconds / 86400.0; }

TEST(FormatElapsed, RoundsDownInExtendedPrecision) {
  EXPECT_EQ(FormatElapsed(0), "0.000");
  EXPECT_EQ(FormatElapsed(Days(1)), "0.999");
  EXPECT_EQ(FormatElapsed(Days(1.5)), "1.499");
  EXPECT_EQ(FormatElapsed(Days(3600)), "3599.999");
  EXPECT_EQ(FormatElapsed(Days(12.345)), "12.345");
  EXPECT_EQ(FormatElapsed(Days(65.312)), "65.312");
  EXPECT_EQ(FormatElapsed(Days(10)), "10.000");
  EXPECT_EQ(FormatElapsed(Days(0.001)), "0.000");
}

TEST(FormatElapsed, DropsWholeDaysAndNeverGoesNegative) {
  EXPECT_EQ(FormatElapsed(Days(90061.5)), "3661.500");
  EXPECT_EQ(ElapsedMilliseconds(Days(90061.5)), 3661500);
  EXPECT_EQ(FormatElapsed(-Days(5)), "0.000");
  EXPECT_EQ(FormatElapsed(std::nan("")), "0.000");
  // The largest value below one day.
  EXPECT_EQ(FormatElapsed(std::nextafter(1.0, 0.0)), "86399.999");
}

TEST(PreciseNow, StampsAreDatesThatNeverRunBackwards) {
  // 30 December 1899 is day 0; 1 January 2000 is day 36526.
  EXPECT_EQ(EncodeDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
  EXPECT_EQ(EncodeDateTime({2000, 1, 1, 12, 0, 0, 0}), 36526.5);
  EXPECT_DOUBLE_EQ(EncodeDateTime({2026, 12, 8, 6, 0, 0, 0}), 46364.25);

  double previous = PreciseNow();
  EXPECT_GE(previous, AnchorTime);
  for (int i = 0; i < 1000; ++i) {
    const double now = PreciseNow();
    ASSERT_GE(now, previous);
    // A difference of two stamps is a whole number of the spacing near them.
    const double spacing = std::nextafter(now, 2 * now) - now;
    const double steps = (now - previous) / spacing;
    ASSERT_EQ(steps, std::floor(steps));
    previous = now;
  }
}

}  // namespace
}  // namespace tarnwell
