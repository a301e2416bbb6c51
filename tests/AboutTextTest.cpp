// The about text line by line, under both decimal separators.
#include <gtest/gtest.h>

#include "sysinfo/AboutText.h"

namespace tarnwell {
namespace {

TEST(AboutText, FiveLinesWithTheRegionalSeparator) {
  EXPECT_EQ(AboutText("Linux Version 6.1 Build 0 Debian GNU/Linux 12 (bookworm)", "kenji",
                      "studio-pc.example.org", '.'),
            "Tarnwell\r\n"
            "Version 1.00 (2026/12/08)\r\n"
            "\r\n"
            "OS: Linux Version 6.1 Build 0 Debian GNU/Linux 12 (bookworm)\r\n"
            "User/Computer: kenji/studio-pc.example.org");
  EXPECT_EQ(AboutText(" Version 1.2 Build 3 ", "", "", ','),
            "Tarnwell\r\n"
            "Version 1,00 (2026/12/08)\r\n"
            "\r\n"
            "OS:  Version 1.2 Build 3 \r\n"
            "User/Computer: /");
}

TEST(AboutText, VersionNumberHasTwoDecimalsAndAtLeastOneDigitBefore) {
  EXPECT_EQ(FormatVersionNumber(0.17, '.'), "0.17");
  EXPECT_EQ(FormatVersionNumber(0.17, ','), "0,17");
  EXPECT_EQ(FormatVersionNumber(12.5, ','), "12,50");
  EXPECT_EQ(FormatVersionNumber(0.004, '.'), "0.00");
  EXPECT_EQ(FormatVersionNumber(2.0, '.'), "2.00");
}

}  // namespace
}  // namespace tarnwell
