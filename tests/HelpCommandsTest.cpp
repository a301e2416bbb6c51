// README.TXT's place, the Help menu's failure messages, and handing files to
// the desktop through a stand-in opener on PATH.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "TempFolder.h"
#include "platform/InstalledFiles.h"
#include "platform/Shell.h"
#include "sysinfo/HelpCommands.h"

namespace tarnwell {
namespace {

using testing::Contents;
using testing::Put;
using testing::TempFolder;

TEST(HelpCommands, FailureMessagesNameWhatCouldNotBeOpened) {
  EXPECT_EQ(ReadmeOpenFailedMessage("/opt/t/README.TXT"),
            "/opt/t/README.TXTを開けませんでした。\r\nテキストエディタなどで開いてみてください");
  EXPECT_EQ(WebOpenFailedMessage("https://example.org/t/"),
            "https://example.org/t/を開けませんでした");
  EXPECT_FALSE(WebAddress().empty());
  EXPECT_STREQ(ProgramsFolderFailedMessage, "エラー：SHGetSpecialFolderPathの実行に失敗しました");
  EXPECT_STREQ(ShortcutFailedMessage, "エラー：ショートカットを作成できませんでした");
}

TEST(HelpCommands, ReadmeIsFoundBesideTheExecutableOrInTheInstallTree) {
  TempFolder root;
  std::filesystem::create_directories(root / "usr/bin");
  std::filesystem::create_directories(root / "usr/share/tarnwell");
  const std::string bin = root / "usr/bin";

  // Neither: the path beside the executable, for the message.
  EXPECT_EQ(platform::FindReadme(bin), bin + "/README.TXT");
  Put(root / "usr/share/tarnwell/README.TXT", "installed");
  EXPECT_EQ(platform::FindReadme(bin), root / "usr/share/tarnwell/README.TXT");
  Put(root / "usr/bin/README.TXT", "beside");
  EXPECT_EQ(platform::FindReadme(bin), bin + "/README.TXT");
  // A folder of that name is not the file.
  std::filesystem::create_directories(root / "opt/bin/README.TXT");
  EXPECT_EQ(platform::FindReadme(root / "opt/bin"), root / "opt/bin/README.TXT");
}

// Puts a stand-in xdg-open running `body` first on PATH for one test.
class OpenWithDesktopTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    savedPath_ = path != nullptr ? path : "/usr/bin:/bin";
    ::setenv("PATH", (folder_.Path() + ":" + savedPath_).c_str(), 1);
  }
  void TearDown() override { ::setenv("PATH", savedPath_.c_str(), 1); }

  void Opener(const std::string& body) {
    const std::string script = folder_ / "xdg-open";
    Put(script, "#!/bin/sh\n" + body + "\n");
    ::chmod(script.c_str(), 0755);
  }

  TempFolder folder_;
  std::string savedPath_;
};

TEST_F(OpenWithDesktopTest, OpenerVerdictDecides) {
  const std::string record = folder_ / "argument";
  Opener("printf '%s' \"$1\" > '" + record + "'; exit 0");
  EXPECT_TRUE(platform::OpenWithDesktop("/opt/t/README.TXT").Ok());
  EXPECT_EQ(Contents(record), "/opt/t/README.TXT");
  // A relative name that looks like an option is made a path.
  EXPECT_TRUE(platform::OpenWithDesktop("-x.txt").Ok());
  EXPECT_EQ(Contents(record), "./-x.txt");

  Opener("exit 2");  // what xdg-open answers for a missing file
  EXPECT_FALSE(platform::OpenWithDesktop("/nowhere/README.TXT").Ok());
  EXPECT_FALSE(platform::OpenWithDesktop("").Ok());
}

TEST_F(OpenWithDesktopTest, NoOpenerIsAFailure) {
  ::setenv("PATH", folder_.Path().c_str(), 1);  // an empty folder
  EXPECT_FALSE(platform::OpenWithDesktop("https://example.org/").Ok());
}

TEST_F(OpenWithDesktopTest, SlowOpenerCountsAsSuccessAndIsReapedLater) {
  const std::string pidFile = folder_ / "pid";
  Opener("echo $$ > '" + pidFile + "'; sleep 1; exit 3");
  EXPECT_TRUE(platform::OpenWithDesktop("/opt/t/README.TXT", std::chrono::milliseconds(100)).Ok());

  // Once the opener ends, nothing of it stays behind, not even a zombie.
  std::string pid;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  bool gone = false;
  while (!gone && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pid = Contents(pidFile);
    while (!pid.empty() && pid.back() == '\n') pid.pop_back();
    gone = !pid.empty() && !std::filesystem::exists("/proc/" + pid);
  }
  EXPECT_TRUE(gone) << "opener " << pid << " still has a process entry";
}

}  // namespace
}  // namespace tarnwell
