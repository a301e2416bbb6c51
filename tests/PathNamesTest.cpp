// Path text rules of both systems, checked on whichever runs the tests.
#include <gtest/gtest.h>

#include "engine/run/RunFolder.h"
#include "platform/PathNames.h"
#include "platform/Paths.h"

namespace tarnwell::platform {
namespace {

constexpr PathStyle Posix = PathStyle::Posix;
constexpr PathStyle Windows = PathStyle::Windows;

TEST(PathNames, RootsAndAbsolutePaths) {
  EXPECT_TRUE(IsRootPath("/", Posix));
  EXPECT_FALSE(IsRootPath("/a", Posix));
  EXPECT_FALSE(IsAbsolutePath("C:\\x", Posix));
  EXPECT_FALSE(IsAbsolutePath("a/b", Posix));
  for (const char* root : {"C:\\", "d:/", "\\\\srv\\share", "\\\\srv\\share\\", "//srv/share"}) {
    EXPECT_TRUE(IsRootPath(root, Windows)) << root;
    EXPECT_TRUE(IsAbsolutePath(root, Windows)) << root;
  }
  // Relative to the current drive or to a drive's current folder.
  for (const char* relative : {"C:", "C:x", "\\x", "x\\y", ""}) {
    EXPECT_FALSE(IsAbsolutePath(relative, Windows)) << relative;
  }
  EXPECT_EQ(RootLength("\\\\srv\\share\\a", Windows), 12u);
}

TEST(PathNames, SplitAndJoin) {
  EXPECT_EQ(JoinPath("/a", "b", Posix), "/a/b");
  EXPECT_EQ(JoinPath("/", "b", Posix), "/b");
  EXPECT_EQ(JoinPath("", "b", Posix), "b");
  EXPECT_EQ(JoinPath("C:\\", "b", Windows), "C:\\b");
  EXPECT_EQ(JoinPath("D:/x", "b", Windows), "D:/x\\b");
  EXPECT_EQ(JoinPath("\\\\srv\\share", "b", Windows), "\\\\srv\\share\\b");

  EXPECT_EQ(ParentPath("/a/b//", Posix), "/a");
  EXPECT_EQ(ParentPath("/a", Posix), "/");
  EXPECT_EQ(ParentPath("/", Posix), "/");
  EXPECT_EQ(ParentPath("a", Posix), "");
  EXPECT_EQ(ParentPath("a\\b", Posix), "");  // '\' is a name character on Linux
  EXPECT_EQ(ParentPath("C:\\a\\b", Windows), "C:\\a");
  EXPECT_EQ(ParentPath("C:/a", Windows), "C:/");
  EXPECT_EQ(ParentPath("\\\\srv\\share\\a", Windows), "\\\\srv\\share\\");

  EXPECT_EQ(FileNameOf("/a/b/", Posix), "b");
  EXPECT_EQ(FileNameOf("/", Posix), "");
  EXPECT_EQ(FileNameOf("C:\\a\\テスト", Windows), "テスト");
  EXPECT_EQ(FileNameOf("C:x", Windows), "x");
  EXPECT_EQ(WithoutClosingSeparators("C:\\\\", Windows), "C:\\");
}

TEST(PathNames, DeviceNamesWindowsKeeps) {
  for (const char* name :
       {"COM1", "com9", "nul.txt", "CON ", "Lpt0.a.b", "AUX.", "COM\u00B9", "CONOUT$"}) {
    EXPECT_TRUE(IsReservedDeviceName(name, Windows)) << name;
    EXPECT_FALSE(IsReservedDeviceName(name, Posix)) << name;
  }
  for (const char* name : {"COM10", "COM", "CONSOLE", "xNUL", ".nul", "LPT1x", ""}) {
    EXPECT_FALSE(IsReservedDeviceName(name, Windows)) << name;
  }
}

TEST(PathNames, AHostNameIsOneHarmlessFolderNamePart) {
  const std::string separator(1, platform::PathSeparator);
  EXPECT_EQ(RunFolderFor("share", "node1.example"),
            "share" + separator + "TRW_TEMP-node1.example" + separator);
  EXPECT_EQ(RunFolderFor("share", ""), "share" + separator + "TRW_TEMP" + separator);
  EXPECT_EQ(HostFolderPart("a/b\\c:d*e?f\"g<h>i|j"), "a_b_c_d_e_f_g_h_i_j");
  EXPECT_EQ(HostFolderPart(".."), "._");
  EXPECT_EQ(HostFolderPart("x/../y"), "x_.__y");
  EXPECT_EQ(HostFolderPart("tab\there\x7f\xc2\x85"), "tab_here__");  // C0, DEL, C1
  EXPECT_EQ(HostFolderPart("bad\xff\xc3"), "bad__");                 // not UTF-8
  EXPECT_EQ(HostFolderPart("測定機 "), "測定機_");
  EXPECT_EQ(HostFolderPart(""), "_");
  // At most 64 bytes, never half a character.
  EXPECT_EQ(HostFolderPart(std::string(63, 'a') + "測"), std::string(63, 'a'));
  EXPECT_EQ(HostFolderPart(std::string(100, 'b')).size(), 64u);
}

}  // namespace
}  // namespace tarnwell::platform
