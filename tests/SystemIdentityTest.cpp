// The operating-system description for any version record, the reading of
// the kernel release and os-release, and the real queries on this machine.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/SystemIdentity.h"
#include "platform/posix/LinuxRelease.h"
#include "sysinfo/kvUnit01.h"
#include "sysinfo/kvUnitWindowsVersion.h"

namespace tarnwell {
namespace {

using platform::VersionRecord;

VersionRecord Record(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                     std::uint32_t build, const char* csd) {
  VersionRecord record;
  record.PlatformId = platformId;
  record.MajorVersion = major;
  record.MinorVersion = minor;
  record.BuildNumber = build;
  std::strncpy(record.CSDVersion, csd, sizeof record.CSDVersion);
  return record;
}

TEST(TkvWindowsVersion, EveryPlatformIdentifierGetsItsTextAndFamily) {
  struct Case {
    std::uint32_t platformId;
    const char* text;
    bool isNT;
  };
  const Case cases[] = {
      {platform::PlatformWin32s, "Windows 3.1(Win32s) Version 3.10 Build 0 ", false},
      {platform::PlatformWin32Windows, "Windows 95 series Version 3.10 Build 0 ", false},
      {platform::PlatformWin32NT, "Windows NT series Version 3.10 Build 0 ", true},
      {platform::PlatformLinux, "Linux Version 3.10 Build 0 ", true},
      {3, " Version 3.10 Build 0 ", false},
      {99, " Version 3.10 Build 0 ", false},
  };
  for (const Case& c : cases) {
    const TkvWindowsVersion version(Record(c.platformId, 3, 10, 0, ""));
    EXPECT_EQ(version.VersionText, c.text) << c.platformId;
    EXPECT_EQ(version.IsNT, c.isNT) << c.platformId;
  }
}

TEST(TkvWindowsVersion, ServicePackTextFollowsOneBlank) {
  EXPECT_EQ(TkvWindowsVersion(Record(2, 5, 1, 2600, "Service Pack 2")).VersionText,
            "Windows NT series Version 5.1 Build 2600 Service Pack 2");
  const TkvWindowsVersion version(Record(1, 4, 10, 2222, "A"));
  EXPECT_EQ(version.VersionText, "Windows 95 series Version 4.10 Build 2222 A");
  EXPECT_EQ(version.VersionInfo.BuildNumber, 2222u);
}

TEST(TkvWindowsVersion, NumbersAreUnsignedAndWhole) {
  EXPECT_EQ(TkvWindowsVersion(Record(2, 4294967295u, 0, 65536, "")).VersionText,
            "Windows NT series Version 4294967295.0 Build 65536 ");
  EXPECT_EQ(TkvWindowsVersion(Record(2, 10, 2147483648u, 4294967295u, "")).VersionText,
            "Windows NT series Version 10.2147483648 Build 4294967295 ");
}

TEST(TkvWindowsVersion, FullServicePackWithoutTerminatorIsTakenWhole) {
  VersionRecord record = Record(2, 5, 0, 2195, "");
  std::memset(record.CSDVersion, 'x', sizeof record.CSDVersion);
  const TkvWindowsVersion version(record);
  EXPECT_EQ(version.VersionText,
            "Windows NT series Version 5.0 Build 2195 " + std::string(128, 'x'));

  // Only the bytes before the first NUL count, whatever follows it.
  record.CSDVersion[5] = '\0';
  EXPECT_EQ(TkvWindowsVersion(record).VersionText,
            "Windows NT series Version 5.0 Build 2195 xxxxx");
}

TEST(LinuxRelease, KernelReleaseGivesMajorMinorAndBuild) {
  struct Case {
    const char* release;
    std::uint32_t major, minor, build;
  };
  const Case cases[] = {
      {"6.1.0-18-amd64", 6, 1, 0},
      {"6.18.44-fc-v1300", 6, 18, 44},
      {"5.15.153.1-microsoft-standard-WSL2", 5, 15, 153},
      {"4.4", 4, 4, 0},
      {"6.8.0rc1", 6, 8, 0},
      {"", 0, 0, 0},
      {"weird", 0, 0, 0},
      {"4294967296.2.3", 0, 2, 3},
      {"4294967295.2.70000", 4294967295u, 2, 70000},
  };
  for (const Case& c : cases) {
    const VersionRecord record = platform::LinuxVersionRecord(c.release, "");
    EXPECT_EQ(record.PlatformId, platform::PlatformLinux);
    EXPECT_EQ(record.MajorVersion, c.major) << c.release;
    EXPECT_EQ(record.MinorVersion, c.minor) << c.release;
    EXPECT_EQ(record.BuildNumber, c.build) << c.release;
  }
}

TEST(LinuxRelease, LongPrettyNameIsCutAtACharacterBoundaryAndTerminated) {
  std::string name;
  for (int i = 0; i < 50; ++i) name += "あ";  // 150 bytes, 3 per character
  const VersionRecord record = platform::LinuxVersionRecord("6.1.0", name);
  // 42 whole characters fit in 127 bytes; the 43rd would need 129.
  EXPECT_EQ(std::string(record.CSDVersion), name.substr(0, 126));
  EXPECT_EQ(record.CSDVersion[126], '\0');

  const std::string ascii(200, 'd');
  EXPECT_EQ(std::string(platform::LinuxVersionRecord("6", ascii).CSDVersion), ascii.substr(0, 127));
}

TEST(LinuxRelease, OsReleaseValuesAreReadAsTheShellReadsThem) {
  const std::string text =
      "# PRETTY_NAME=\"commented\"\n"
      "NAME=\"Debian GNU/Linux\"\n"
      "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
      "ID=debian\n"
      "QUOTED=\"say \\\"hi\\\" for \\$5 \\\\ \\n\"\n"
      "SINGLE='it''s \\ raw'\n"
      "MIXED=ab\\ c\"d e\"'f'\n"
      "UNCLOSED=\"never closed\n"
      "CRLF=\"windows\"\r\n"
      "  INDENTED=yes\n"
      "PRETTY_NAMEX=\"not this\"\n";
  EXPECT_EQ(platform::OsReleaseValue(text, "PRETTY_NAME"), "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(platform::OsReleaseValue(text, "ID"), "debian");
  EXPECT_EQ(platform::OsReleaseValue(text, "QUOTED"), "say \"hi\" for $5 \\ \\n");
  EXPECT_EQ(platform::OsReleaseValue(text, "SINGLE"), "its \\ raw");
  EXPECT_EQ(platform::OsReleaseValue(text, "MIXED"), "ab cd ef");
  EXPECT_EQ(platform::OsReleaseValue(text, "UNCLOSED"), "never closed");
  EXPECT_EQ(platform::OsReleaseValue(text, "CRLF"), "windows");
  EXPECT_EQ(platform::OsReleaseValue(text, "INDENTED"), "yes");
  EXPECT_EQ(platform::OsReleaseValue(text, "VERSION"), "");
  EXPECT_EQ(platform::OsReleaseValue("A=1\nA=2", "A"), "2");  // the last assignment wins
}

TEST(SystemIdentity, ThisMachineIsDescribedAndNamed) {
  const TkvWindowsVersion version;
  EXPECT_TRUE(version.IsNT);
  EXPECT_EQ(version.VersionText.rfind("Linux Version ", 0), 0u) << version.VersionText;

  const passwd* entry = ::getpwuid(::geteuid());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(GetLoginUserName(), entry->pw_name);

  char host[512] = {};
  ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
  EXPECT_EQ(GetMachineName(), host);
}

}  // namespace
}  // namespace tarnwell
