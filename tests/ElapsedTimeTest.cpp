// The precise clock and the elapsed-time text. The text rounds down in
// extended precision, so durations a hair below a round value lose a
// millisecond; these vectors pin that down.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/base/RunId.h"
#include "engine/base/UtcTime.h"
#include "engine/run/UnitMSec.h"

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

TEST(UtcTime, TextsOfACommonStartAndOfPhases) {
  const std::int64_t t = 1796881212345000;                    // 2026-12-10T05:40:12.345Z
  EXPECT_EQ(FormatUtc(t + 999), "2026-12-10T05:40:12.345Z");  // cut, never later
  EXPECT_EQ(FormatUtc(951782400000000), "2000-02-29T00:00:00.000Z");
  EXPECT_EQ(ParseUtcTime("2026-12-10T05:40:12.345Z"), t);
  EXPECT_EQ(ParseUtcTime("2026-12-10T14:40:12.345+09:00"), t);
  EXPECT_EQ(ParseUtcTime("1796881212.345"), t);
  EXPECT_EQ(ParseUtcTime("2000-02-29t00:00:00.0000009z"), 951782400000000);
  EXPECT_EQ(ParseUtcTime("1796881212"), t - 345000);
  for (const char* bad : {"2026-12-09T05:40:12", "2026-02-29T00:00:00Z", "2026-12-09T24:00:00Z",
                          "2026-12-09T05:40:60Z", "1969-12-31T23:59:59Z", "2026-12-09T05:40:12.Z",
                          "2026-12-09T05:40:12Z ", "-5", "12e3", "", "99999999999999999999"}) {
    EXPECT_FALSE(ParseUtcTime(bad)) << bad;
  }
}

TEST(RunId, RandomVersionFourUuids) {
  const std::string a = NewRunId();
  EXPECT_EQ(a.size(), 36u);
  EXPECT_EQ(a[14], '4');
  EXPECT_NE(std::string("89ab").find(a[19]), std::string::npos);
  EXPECT_NE(a, NewRunId());
}

}  // namespace
}  // namespace tarnwell
