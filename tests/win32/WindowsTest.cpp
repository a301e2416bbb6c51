// The Windows layer under Wine: run-folder messages with '\' and their
// reasons, the settings file as code page 932 with CR LF (UTF-16 where it
// must), a test file another program holds open, the elapsed-time text on a
// CreateThread thread, the system's name, the history file, the verdict
// under Wine, and the runner end to end, also when the system ends it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "engine/base/Json.h"
#include "engine/base/UtcTime.h"
#include "engine/judge/Verdict.h"
#include "engine/output/RunDocument.h"
#include "engine/output/RunHistory.h"
#include "engine/output/RunNotes.h"
#include "engine/run/BenchmarkRun.h"
#include "engine/run/UnitMSec.h"
#include "platform/Clock.h"
#include "platform/DeviceCounters.h"
#include "platform/IniFile.h"
#include "platform/SettingsPath.h"
#include "platform/SystemIdentity.h"
#include "platform/win32/Encoding.h"
#include "tests/TempFolder.h"

namespace tarnwell {
namespace {

using testing::TempFolder;

std::string Bytes(const std::string& path) {
  std::ifstream file(std::filesystem::path(platform::win32::Wide(path)), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// Runs a command line to its end: its exit code, or nothing when it could
// not be started.
std::optional<DWORD> RunCommand(const std::string& command) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring line = platform::win32::Wide(command);
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return std::nullopt;
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 1;
  ::GetExitCodeProcess(process.hProcess, &exitCode);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return exitCode;
}

class QuietObserver : public RunObserver {
public:
  void ResultTextChanged(const std::string& text) override { Text = text; }
  std::string Text;
};

RunOutcome RunIn(const std::string& folder, bool readOnly, bool deleteFiles) {
  RunChoices choices;
  choices.Folder = folder;
  choices.FileSizeIndex = 2;  // 100KB, 1MB: ten files
  choices.TotalSizeIndex = 0;
  choices.OneMegabyteBlocks = false;
  choices.ReadOnly = readOnly;
  choices.DeleteFiles = deleteFiles;
  choices.Parameters.ReadPercent = 100;
  PatternBuffer buffer;
  Generator generator;
  QuietObserver observer;
  RunEnvironment environment;
  return BenchmarkRun(choices, buffer, generator, observer, environment).Execute();
}

TEST(Windows, RunFolderMessagesAndAFileHeldOpenElsewhere) {
  TempFolder temp;
  const std::string folder = temp / "ベンチ";
  // Nothing to read yet: the message names the file with backslashes.
  RunOutcome outcome = RunIn(folder, true, false);
  EXPECT_TRUE(outcome.Message.starts_with(folder + "\\TRW_TEMP\\00000001.binを開けません\n"))
      << outcome.Message;

  ASSERT_EQ(RunIn(folder, false, false).Result, RunOutcome::Kind::Completed);
  // Another program has the fifth file open without sharing.
  const HANDLE held =
      ::CreateFileW(platform::win32::Wide(folder + "\\TRW_TEMP\\00000005.bin").c_str(),
                    GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  outcome = RunIn(folder, true, false);
  ::CloseHandle(held);
  EXPECT_EQ(outcome.Result, RunOutcome::Kind::Stopped);
  EXPECT_TRUE(outcome.Message.starts_with(folder + "\\TRW_TEMP\\00000005.binを開けません\n"))
      << outcome.Message;
  EXPECT_EQ(RunIn(folder, true, true).Result, RunOutcome::Kind::Completed);
  EXPECT_FALSE(
      std::filesystem::exists(std::filesystem::path(platform::win32::Wide(folder)) / L"TRW_TEMP"));

  // A hard link at a test-file name is another name of the user's file: the
  // run stops and leaves it, and the file it names, as they were.
  const std::string precious = temp / "precious.txt";
  std::ofstream(std::filesystem::path(platform::win32::Wide(precious))) << "keep me";
  ::CreateDirectoryW(platform::win32::Wide(folder + "\\TRW_TEMP").c_str(), nullptr);
  const std::string linked = folder + "\\TRW_TEMP\\00000003.bin";
  ASSERT_TRUE(::CreateHardLinkW(platform::win32::Wide(linked).c_str(),
                                platform::win32::Wide(precious).c_str(), nullptr));
  outcome = RunIn(folder, false, true);
  EXPECT_EQ(outcome.Message, linked + "に書き込めません\n" + RunMessages::HardLinked);
  EXPECT_EQ(Bytes(precious), "keep me");
  EXPECT_EQ(Bytes(linked), "keep me");
}

TEST(Windows, AFolderThatCannotBeMadeSaysWhy) {
  TempFolder temp;
  // "ファイルはすでに存在します" would mislead for either.
  RunOutcome outcome = RunIn(temp / "COM1", false, true);
  EXPECT_EQ(outcome.Message, std::string(RunMessages::FolderNotCreated) + "\n" + (temp / "COM1") +
                                 "は予約されたデバイス名です");
  ASSERT_TRUE(::CreateDirectoryW(platform::win32::Wide(temp / "x").c_str(), nullptr));
  std::ofstream(std::filesystem::path(platform::win32::Wide(temp / "x\\TRW_TEMP"))) << "mine";
  outcome = RunIn(temp / "x", false, true);
  EXPECT_EQ(outcome.Message, std::string(RunMessages::FolderNotCreated) + "\n" +
                                 (temp / "x\\TRW_TEMP") +
                                 "には、フォルダではないもの（ファイルなど）があります");
  EXPECT_EQ(Bytes(temp / "x\\TRW_TEMP"), "mine");
}

TEST(Windows, TheSystemTextNamesTheSystemBeforeItsServicePack) {
  const platform::Result<platform::VersionRecord> queried = platform::QueryVersion();
  ASSERT_TRUE(queried.Ok());
  const platform::VersionRecord& version = *queried;
  RunRecord record;
  RunEnvironment().Describe(record);
  // "Microsoft Windows 7 Service Pack 1 (Windows 6.1.7601)" under Wine,
  // which reports Windows 7 to a program without a manifest.
  const std::string kernel = " (Windows " + std::to_string(version.MajorVersion) + "." +
                             std::to_string(version.MinorVersion) + "." +
                             std::to_string(version.BuildNumber) + ")";
  ASSERT_TRUE(record.System.ends_with(kernel)) << record.System;
  const std::string name = record.System.substr(0, record.System.size() - kernel.size());
  EXPECT_NE(name.find("Windows"), std::string::npos) << name;
  const std::string pack = version.CSDVersion;
  if (!pack.empty()) {
    EXPECT_TRUE(name.ends_with(" " + pack)) << name;
    EXPECT_FALSE(name.starts_with(pack)) << name;
  }
}

TEST(Windows, SettingsAreCodePage932WithCrLf) {
  ASSERT_EQ(::GetACP(), 932u) << "the tests run with a Japanese ANSI code page";
  TempFolder temp;
  const std::string path = temp / "tarnwell.INI";
  platform::IniFile settings(path);
  settings.WriteString("Main", "Folder", "C:\\ベンチ");
  settings.WriteInteger("Main", "FileSize", 3);
  ASSERT_TRUE(settings.UpdateFile().Ok());
  // "ベンチ" in code page 932, and CR LF line ends, no BOM.
  EXPECT_EQ(Bytes(path), "[Main]\r\nFolder=C:\\\x83\x78\x83\x93\x83\x60\r\nFileSize=3\r\n");
  EXPECT_EQ(platform::IniFile(path).ReadString("Main", "Folder", ""), "C:\\ベンチ");

  // A file written by hand in code page 932 reads back exactly.
  std::ofstream(std::filesystem::path(platform::win32::Wide(path)), std::ios::binary)
      << "[main]\r\nfolder=D:\\\x83\x65\x83\x58\x83\x67\r\n";
  EXPECT_EQ(platform::IniFile(path).ReadString("Main", "Folder", ""), "D:\\テスト");
}

TEST(Windows, SettingsKeepEveryCharacterAndCutInCodePageBytes) {
  TempFolder temp;
  const std::string path = temp / "tarnwell.INI";
  // A reader takes 2,047 code page 932 bytes: "C:\" and 750 × "あ" are
  // 1,503 of them (2,253 in UTF-8) and come back whole.
  std::string folder = "C:\\";
  for (int i = 0; i < 750; ++i) folder += "あ";
  platform::IniFile settings(path);
  settings.WriteString("Main", "Folder", folder);
  ASSERT_TRUE(settings.UpdateFile().Ok());
  EXPECT_EQ(platform::IniFile(path).ReadString("Main", "Folder", ""), folder);
  EXPECT_FALSE(platform::IniFile(path).IsCut("Main", "Folder"));
  for (int i = 0; i < 400; ++i) folder += "あ";
  settings.WriteString("Main", "Folder", folder);
  ASSERT_TRUE(settings.UpdateFile().Ok());
  EXPECT_EQ(platform::IniFile(path).ReadString("Main", "Folder", ""),
            folder.substr(0, 3 + 1022 * 3));
  EXPECT_TRUE(platform::IniFile(path).IsCut("Main", "Folder"));

  // Notepad's "Unicode": UTF-16LE with a BOM, read as the system reads it.
  const std::wstring unicode = L"\xFEFF[Main]\r\nFolder=C:\\\u30D9\u30F3\u30C1\r\n";
  std::ofstream(std::filesystem::path(platform::win32::Wide(path)), std::ios::binary)
      .write(reinterpret_cast<const char*>(unicode.data()),
             static_cast<std::streamsize>(unicode.size() * sizeof(wchar_t)));
  platform::IniFile fromUnicode(path);
  EXPECT_EQ(fromUnicode.ReadString("Main", "Folder", ""), "C:\\ベンチ");
  // Code page 932 holds it all: written back as ever.
  ASSERT_TRUE(fromUnicode.UpdateFile().Ok());
  EXPECT_EQ(Bytes(path), "[Main]\r\nFolder=C:\\\x83\x78\x83\x93\x83\x60\r\n");
  // "한" has no place in it: the file stays UTF-16, which the system's own
  // reader takes.
  fromUnicode.WriteString("Main", "Folder", "C:\\한");
  ASSERT_TRUE(fromUnicode.UpdateFile().Ok());
  EXPECT_TRUE(Bytes(path).starts_with("\xFF\xFE[\0M\0"));
  EXPECT_EQ(platform::IniFile(path).ReadString("Main", "Folder", ""), "C:\\한");
  wchar_t read[64] = {};
  ::GetPrivateProfileStringW(L"Main", L"Folder", L"", read, 64,
                             platform::win32::Wide(path).c_str());
  EXPECT_EQ(std::wstring(read), L"C:\\\uD55C");

  std::ofstream(std::filesystem::path(platform::win32::Wide(path)), std::ios::binary)
      << "\xEF\xBB\xBF[Main]\r\nFolder=C:\\ベンチ\r\n";
  EXPECT_EQ(platform::IniFile(path).ReadString("Main", "Folder", ""), "C:\\ベンチ");
}

TEST(Windows, SettingsNameFollowsTheExecutableWhicheverSeparatorItUses) {
  using platform::SettingsFilePathFor;
  const std::string appData = "C:\\Users\\u\\AppData\\Roaming\\Tarnwell";
  EXPECT_EQ(SettingsFilePathFor("C:/a.b/tarnwell", true, appData), "C:/a.b/tarnwell.INI");
  EXPECT_EQ(SettingsFilePathFor("C:\\Program Files\\T\\tarnwell-cli.exe", false, appData),
            appData + "\\tarnwell-cli.INI");
  EXPECT_EQ(SettingsFilePathFor("\\\\srv\\share\\t.exe", true, appData), "\\\\srv\\share\\t.INI");
}

DWORD WINAPI FormatOnThread(void* texts) {
  auto& out = *static_cast<std::vector<std::string>*>(texts);
  for (double seconds : {1.0, 0.05, 0.001, 12.345, 59.999}) {
    out.push_back(FormatElapsed(seconds / 86400.0));
  }
  return 0;
}

TEST(Windows, ElapsedTimeTextIsTheSameOnAnyThread) {
  std::vector<std::string> mainThread, created;
  FormatOnThread(&mainThread);
  // A CreateThread thread starts with the x87 at 53-bit precision.
  const HANDLE thread = ::CreateThread(nullptr, 0, FormatOnThread, &created, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ::WaitForSingleObject(thread, INFINITE);
  ::CloseHandle(thread);
  EXPECT_EQ(created, mainThread);
  EXPECT_EQ(mainThread[0], "0.999");  // the clock's days never hold 1 s exactly
}

TEST(Windows, TheHistoryTakesOnlyAPlainFileAndNeverGluesToATornLine) {
  TempFolder temp;
  const std::string path = temp / "history.jsonl";
  RunRecord record;
  record.Date = "2026-12-09T10:00:00";
  record.Folder = "C:\\ベンチ";
  record.Result = "completed";
  ASSERT_TRUE(AppendToHistory(path, record).Ok());
  std::ofstream(std::filesystem::path(platform::win32::Wide(path)),
                std::ios::app | std::ios::binary)
      << "{\"date\": \"20";
  ASSERT_TRUE(AppendToHistory(path, record).Ok());
  const std::string line = HistoryLine(record);
  EXPECT_EQ(Bytes(path), line + "\r\n{\"date\": \"20\r\n" + line + "\r\n");
  int runs = 0;
  const auto count = [&](RunRecord& run) {
    EXPECT_EQ(run.Folder, record.Folder);
    return ++runs > 0;
  };
  EXPECT_EQ(ScanHistoryNewestFirst(path, count).Damaged, 1);
  EXPECT_EQ(runs, 2);
  // A folder in the way is left alone; nothing there is an empty history.
  std::filesystem::create_directory(std::filesystem::path(platform::win32::Wide(temp / "folder")));
  EXPECT_EQ(AppendToHistory(temp / "folder", record).error, platform::IoError::NotRegular);
  EXPECT_EQ(ScanHistoryNewestFirst(temp / "folder", count).Status.error,
            platform::IoError::NotRegular);
  EXPECT_EQ(ScanHistoryNewestFirst(temp / "none.jsonl", count).Status.error,
            platform::IoError::NotFound);
}

TEST(Windows, TheRunnerPrintsTheTableWithCrLf) {
  TempFolder temp;
  const std::string out = temp / "table.txt";
  const std::string command = std::string("cmd /c ") + TARNWELL_CLI_NAME +
                              " --settings NUL --no-history --folder \"" + temp.Path() +
                              "\" --file-size 100KB --total 1MB --repeat 3 > \"" + out + "\"";
  const std::optional<DWORD> exitCode = RunCommand(command);
  ASSERT_TRUE(exitCode);
  EXPECT_EQ(*exitCode, 0u);
  const std::string table = Bytes(out);
  EXPECT_TRUE(table.starts_with(
      "回数\t時間\t書き(Mbps）\t書き（MB/秒）\t時間\t読み（Mbps）\t読み（MB/秒）\r\n1\t"))
      << table;
  EXPECT_NE(table.find("\r\n3\t"), std::string::npos);
  EXPECT_NE(table.find("●読み込み\r\n平均所要時間（秒）："), std::string::npos);
  EXPECT_EQ(table.find("\n\n"), std::string::npos);  // every line end is CR LF
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(temp.Path()) / "TRW_TEMP"));
}

// Wine honours neither unbuffered nor write-through I/O: whatever it shows
// is the host's cache, and every phase says so after the table.
TEST(Windows, UnderWineEveryPhaseIsJudgedTheHostsCache) {
  if (!platform::RunningUnderWine()) GTEST_SKIP() << "a real Windows: its disks have counters";
  TempFolder temp;
  RunChoices choices;
  choices.Folder = temp.Path();
  choices.FileSizeIndex = 2;  // 100KB, 1MB: ten files
  choices.TotalSizeIndex = 0;
  choices.Parameters.ReadPercent = 100;
  choices.DeleteFiles = true;
  PatternBuffer buffer;
  Generator generator;
  QuietObserver observer;
  RunEnvironment environment;
  BenchmarkRun run(choices, buffer, generator, observer, environment);
  const RunRecord record = run.Record(run.Execute());
  ASSERT_EQ(record.Result, "completed");
  EXPECT_TRUE(record.Counting.Wine);
  EXPECT_EQ(record.Repetitions.at(0).Write->Verdict.Kind, VerdictKind::Cache);
  EXPECT_EQ(record.Repetitions.at(0).Read->Verdict.Kind, VerdictKind::Cache);
  const std::vector<std::string> notes = RunNotes(record);
  EXPECT_EQ(std::count_if(notes.begin(), notes.end(),
                          [](const std::string& note) {
                            return note.find(VerdictTexts::Wine) != std::string::npos;
                          }),
            2);
}

// The wall clock, the random run id and a host name with a character
// Windows gives a meaning (':' would name a stream of the folder).
TEST(Windows, TheRunnerWritesItsDocumentAtACommonStart) {
  TempFolder temp;
  const std::int64_t start = platform::UnixMicrosecondsNow() + 1500000;
  const std::string command =
      std::string(TARNWELL_CLI_NAME) + " --settings NUL --no-history --keep --folder \"" +
      temp.Path() + "\" --file-size 100KB --total 1MB --per-host --host win:1 --start-at " +
      std::to_string(start / 1000000) + "." + std::to_string(start % 1000000 + 1000000).substr(1) +
      " --json-file \"" + (temp / "run.json") + "\"";
  const std::optional<DWORD> exitCode = RunCommand(command);
  ASSERT_TRUE(exitCode);
  ASSERT_EQ(*exitCode, 0u);
  const std::optional<JsonValue> document = ParseJson(Bytes(temp / "run.json"));
  ASSERT_TRUE(document);
  EXPECT_EQ(document->TextAt("host"), "win:1");
  EXPECT_EQ(document->TextAt("runId").size(), 36u);
  const std::optional<std::int64_t> actual =
      ParseUtcTime(document->Find("startAt")->TextAt("actual"));
  ASSERT_TRUE(actual);
  EXPECT_GE(*actual, start - 1000);
  EXPECT_LT(*actual, start + 50000);
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(temp.Path()) / "TRW_TEMP-win_1"));
}

// The system tells a console program of a closed console, a logoff or a
// shutdown by starting a thread at CtrlRoutine in it, and ends the process
// once that thread's handler answers.
TEST(Windows, TheRunnerCleansUpBeforeItsEndIsAnswered) {
  TempFolder temp;
  std::wstring line = platform::win32::Wide(std::string(TARNWELL_CLI_NAME) +
                                            " --settings NUL --no-history --folder \"" +
                                            temp.Path() + "\" --file-size 100KB --wait 10");
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE nul =
      ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &startup, &process));
  ::CloseHandle(nul);
  // Its ten files written, the run pauses before reading them.
  const std::filesystem::path files =
      std::filesystem::path(platform::win32::Wide(temp.Path())) / L"TRW_TEMP";
  for (int i = 0; i < 600 && !std::filesystem::exists(files / L"00000010.bin"); ++i) ::Sleep(50);
  ::Sleep(200);
  // Through void (*)(): the one function type any other converts from silently.
  auto* routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleW(L"kernelbase.dll"), "CtrlRoutine")));
  ASSERT_NE(routine, nullptr);
  const HANDLE thread = ::CreateRemoteThread(
      process.hProcess, nullptr, 0, routine,
      reinterpret_cast<void*>(static_cast<INT_PTR>(CTRL_LOGOFF_EVENT)), 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(::WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(::WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
  DWORD exitCode = 0, handlerEnd = 0;
  ::GetExitCodeProcess(process.hProcess, &exitCode);
  ::GetExitCodeThread(thread, &handlerEnd);
  EXPECT_EQ(exitCode, 130u);  // interrupted
  // The handler never answered: the program's own end, after the run had
  // cleaned up, ended its thread (and gave it the program's exit code).
  EXPECT_EQ(handlerEnd, exitCode);
  std::error_code missing;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(files, missing),
                          std::filesystem::directory_iterator()),
            0);
  ::CloseHandle(thread);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
}

}  // namespace
}  // namespace tarnwell
