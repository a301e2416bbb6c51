// The shell's services under Wine: folders listed, renamed, made and
// recycled; a Start-menu link written and read back; the Programs folders.
#include <gtest/gtest.h>
#include <windows.h>
// The shell's headers build on windows.h.
#include <objidl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "platform/Folders.h"
#include "platform/PathNames.h"
#include "platform/Paths.h"
#include "platform/ProgramsFolder.h"
#include "platform/win32/Encoding.h"
#include "sysinfo/HelpCommands.h"
#include "sysinfo/kvUnit01.h"
#include "tests/TempFolder.h"

namespace tarnwell {
namespace {

using platform::win32::Wide;
using testing::TempFolder;

bool MakeFolder(const std::string& path) { return ::CreateDirectoryW(Wide(path).c_str(), nullptr); }
bool Exists(const std::string& path) {
  return ::GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(WindowsShell, FoldersAreListedRenamedMadeAndRecycled) {
  TempFolder temp;
  const std::string root = temp.Path();
  ASSERT_TRUE(MakeFolder(root + "\\a") && MakeFolder(root + "\\hidden"));
  ::SetFileAttributesW(Wide(root + "\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
  testing::Put(temp / "file.txt", "x");

  const auto names = platform::ListSubFolders(root);
  ASSERT_TRUE(names);
  EXPECT_EQ(*names, std::vector<std::string>{"a"});
  EXPECT_FALSE(platform::HasSubFolders(root + "\\a"));
  EXPECT_FALSE(platform::ListSubFolders(root + "\\missing"));

  // A hidden folder is still there: the rename must not replace it.
  EXPECT_FALSE(platform::RenameFolder(root + "\\a", root + "\\hidden").Ok());
  EXPECT_TRUE(platform::RenameFolder(root + "\\a", root + "\\b").Ok());
  EXPECT_FALSE(platform::IsValidFolderName("b."));
  EXPECT_FALSE(platform::IsValidFolderName("a:b"));

  EXPECT_EQ(platform::MakeUniqueFolder(root, "b").ValueOr(""), "b (2)");
  EXPECT_EQ(platform::MakeUniqueFolder(root, "b").ValueOr(""), "b (3)");

  EXPECT_FALSE(platform::MoveToTrash("b").Ok());  // relative: would be deleted for good
  EXPECT_TRUE(platform::MoveToTrash(root + "\\b (2)").Ok());
  EXPECT_FALSE(Exists(root + "\\b (2)"));
  EXPECT_TRUE(Exists(root + "\\b"));

  const auto drives = platform::MountPoints();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives.front(), "C:\\");

  // The shell names its own places in the user's language, whatever the
  // desktop folder is called on disk ("Desktop").
  const platform::PlaceNames places = platform::ShellPlaceNames();
  EXPECT_EQ(places.Desktop, "デスクトップ");
  EXPECT_FALSE(places.Home.empty());
  EXPECT_FALSE(places.Computer.empty());
}

TEST(WindowsShell, StartMenuLinkReadsBack) {
  ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    TempFolder temp;
    // "Ü" and "é" have no place in code page 932.
    const std::string folder = temp / "Üé";
    ASSERT_TRUE(MakeFolder(folder));
    const std::string link = folder + "\\" + ShortcutFileName;
    const std::string target = platform::ExecutablePath();
    CreateShortcut(link, target, ShortcutDescription);

    IShellLinkW* shellLink = nullptr;
    ASSERT_TRUE(
        SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkW, reinterpret_cast<void**>(&shellLink))));
    IPersistFile* file = nullptr;
    ASSERT_TRUE(
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    EXPECT_EQ(file->Load(Wide(link).c_str(), STGM_READ), S_OK);
    wchar_t text[MAX_PATH] = {};
    shellLink->GetPath(text, MAX_PATH, nullptr, 0);
    EXPECT_EQ(platform::win32::Utf8(text), target);
    shellLink->GetWorkingDirectory(text, MAX_PATH);
    EXPECT_EQ(platform::win32::Utf8(text), target.substr(0, target.rfind('\\') + 1));
    shellLink->GetDescription(text, MAX_PATH);
    EXPECT_EQ(platform::win32::Utf8(text), "Tarnwell");
    file->Release();
    shellLink->Release();

    EXPECT_THROW(CreateShortcut(folder + "\\missing\\x.lnk", target, "Tarnwell"), EkvGetUserName);
  }
  ::CoUninitialize();
}

TEST(WindowsShell, ProgramsFoldersAreFound) {
  for (const bool allUsers : {false, true}) {
    const std::string folder = platform::ProgramsFolder(allUsers);
    EXPECT_TRUE(platform::IsAbsolutePath(folder)) << folder;
    EXPECT_EQ(ShortcutPath(folder), folder + "\\Tarnwell.lnk");
  }
}

}  // namespace
}  // namespace tarnwell
