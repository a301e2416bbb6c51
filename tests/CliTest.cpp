// tarnwell-cli as a script sees it: exit codes, stdout holding the table with
// LF line ends, usage errors, the JSON report, and Ctrl+C mid-run.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>
#include <vector>

#include "engine/base/Json.h"
#include "engine/base/UtcTime.h"
#include "engine/model/RunRecord.h"
#include "engine/output/RunDocument.h"
#include "tests/TempFolder.h"

namespace tarnwell {
namespace {

using testing::Contents;
using testing::TempFolder;

struct Result {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the CLI with `arguments`; `interruptAfter` > 0 sends SIGINT once that
// many bytes of stdout have arrived.
// `closeAfter` > 0 closes the reading end of stdout after that many bytes,
// as `| head -c N` does.
// `inChild` runs in the child just before the CLI starts.
Result RunCli(const std::vector<std::string>& arguments, const std::string& home,
              std::size_t interruptAfter = 0, std::size_t closeAfter = 0,
              int interruptSignal = SIGINT, const std::function<void()>& inChild = {},
              const std::string& program = TARNWELL_CLI) {
  int outPipe[2], errPipe[2];
  if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(outPipe[1], 1);
    ::dup2(errPipe[1], 2);
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home + "/cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    if (inChild) inChild();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  Result result;
  std::thread errReader([&] {
    char chunk[4096];
    for (ssize_t n; (n = ::read(errPipe[0], chunk, sizeof chunk)) > 0;) result.err.append(chunk, n);
  });
  char chunk[4096];
  bool interrupted = false;
  for (ssize_t n; (n = ::read(outPipe[0], chunk, sizeof chunk)) > 0;) {
    result.out.append(chunk, static_cast<std::size_t>(n));
    if (interruptAfter > 0 && !interrupted && result.out.size() >= interruptAfter) {
      ::kill(child, interruptSignal);
      interrupted = true;
    }
    if (closeAfter > 0 && result.out.size() >= closeAfter) {
      ::close(outPipe[0]);
      outPipe[0] = -1;
      break;
    }
  }
  errReader.join();
  int status = 0;
  ::waitpid(child, &status, 0);
  if (outPipe[0] >= 0) ::close(outPipe[0]);
  ::close(errPipe[0]);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

TEST(Cli, PrintsTheTableAsItGrowsWithLineFeedsAndCleansUp) {
  TempFolder home;
  const Result result =
      RunCli({"--folder", home.Path(), "--file-size", "100kb", "--total", "1MB", "--repeat", "3"},
             home.Path());
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(result.out.starts_with(
      "回数\t時間\t書き(Mbps）\t書き（MB/秒）\t時間\t読み（Mbps）\t読み（MB/秒）\n1\t"));
  EXPECT_EQ(result.out.find('\r'), std::string::npos);
  EXPECT_NE(result.out.find("\n3\t"), std::string::npos);
  // The memo's own closing line follows the last summary line.
  EXPECT_NE(result.out.find("平均転送速度（MB/秒）："), std::string::npos);
  EXPECT_TRUE(result.out.ends_with("\n\n"));
  EXPECT_FALSE(std::filesystem::exists(home / "TRW_TEMP"));
  // Ten files of 100 KB fall short of 1 MB: said, not hidden.
  EXPECT_NE(result.err.find("10 個のファイル、合わせて 1000KB で測ります"), std::string::npos)
      << result.err;
}

TEST(Cli, RejectsBadArgumentsWithUsageErrors) {
  TempFolder home;
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--file-size", "2MB"},
                                                    {"--total"},
                                                    {"--repeat", "2"},
                                                    {"--wait", "11"},
                                                    {"--read-percent", "0,5"},
                                                    {"--bogus"},
                                                    {"--folder", ""},
                                                    {"--json=yes"},
                                                    {"--file-size", "100KB", "--block", "1MB"},
                                                    {"--priority", "Urgent"},
                                                    // Options that would do nothing, or be
                                                    // silently overruled.
                                                    {"--match", "disk"},
                                                    {"--history", "--folder", home.Path()},
                                                    {"--history", "--report", "x.html"},
                                                    {"--no-history", "--history"},
                                                    {"--repeat", "3", "--repeat=5"},
                                                    {"--keep", "--delete"},
                                                    {"--json", "--json"},
                                                    {"--total", "0.5GB"},
                                                    {"--total", "512KB"},
                                                    {"--total", "-1GB"},
                                                    {"--total", "99999999999999TB"},
                                                    // Bits, not bytes.
                                                    {"--total", "1Gb"},
                                                    {"--total", "100mb"},
                                                    {"--total", "2GB", "--file-size", "1KB"},
                                                    {"--merge"},
                                                    {"--merge", "a.json", "--folder", home.Path()},
                                                    {"--history", "--merge", "a.json"},
                                                    {"--clock-offset", "20s"},
                                                    {"--clock-offset", "1e3"},
                                                    {"--clock-offset", "nan"},
                                                    {"--clock-offset", "-86400.5"},
                                                    // The check sizes itself, once, in order.
                                                    {"--fill", "--repeat", "3"}}) {
    const Result result = RunCli(arguments, home.Path());
    EXPECT_EQ(result.exitCode, 2) << arguments[0] << " " << arguments.back();
    EXPECT_TRUE(result.out.empty());
    EXPECT_NE(result.err.find("tarnwell-cli: "), std::string::npos);
  }
  EXPECT_TRUE(std::filesystem::is_empty(home.Path()));
  const Result help = RunCli({"--help"}, home.Path());
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--read-percent"), std::string::npos);
  // Help or a version nobody received is no success either.
  for (const char* option : {"--help", "--version"}) {
    const std::string command =
        std::string(TARNWELL_CLI) + " " + option + " > /dev/full 2> " + home.Path() + "/err";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1) << option;
    EXPECT_NE(testing::Contents(home / "err").find("標準出力に書き込めません\n"),
              std::string::npos);
  }
}

TEST(Cli, StopsWithTheRunsMessageAndExitCodeOne) {
  TempFolder home;
  const Result result = RunCli(
      {"--folder", home.Path(), "--read-percent", "50", "--file-size", "1MB", "--total", "1MB"},
      home.Path());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("ファイルの数に比べて、読み込み％が過小です"), std::string::npos);
  // The write half that was reported stays on stdout.
  EXPECT_NE(result.out.find("\n1\t"), std::string::npos);

  const Result readOnly =
      RunCli({"--folder", home / "empty", "--read-only", "--json"}, home.Path());
  EXPECT_EQ(readOnly.exitCode, 1);
  EXPECT_NE(readOnly.out.find("\"result\": \"stopped\""), std::string::npos);
  EXPECT_NE(readOnly.out.find("00000001.binを開けません"), std::string::npos);

  // A total beyond the disk is refused before anything is written.
  const Result tooLarge =
      RunCli({"--folder", home / "big", "--total", "100TB", "--file-size", "100MB"}, home.Path());
  EXPECT_EQ(tooLarge.exitCode, 1);
  EXPECT_NE(tooLarge.err.find("総容量 100TB は空き容量に収まりません（空き容量 "),
            std::string::npos)
      << tooLarge.err;
  // The folder the run made for it goes with it.
  EXPECT_FALSE(std::filesystem::exists(home / "big"));
}

TEST(Cli, AVerifiedRunThatReadsBadDataExitsThree) {
  TempFolder home;
  const std::vector<std::string> run = {"--folder", home.Path(), "--file-size", "100KB",
                                        "--total",  "1MB",       "--verify",    "--keep"};
  const Result clean = RunCli(run, home.Path());
  EXPECT_EQ(clean.exitCode, 0) << clean.err;
  EXPECT_NE(clean.err.find("2000 セクタはすべて正常でした"), std::string::npos) << clean.err;
  // One byte of file 3 changes on disk; a read-only verified run finds it.
  {
    std::fstream file(home / "TRW_TEMP/00000003.bin",
                      std::ios::in | std::ios::out | std::ios::binary);
    file.seekg(70000);
    const char byte = static_cast<char>(file.get());
    file.seekp(70000);
    file.put(static_cast<char>(~byte));
  }
  std::vector<std::string> readOnly = run;
  readOnly.insert(readOnly.end(), {"--read-only", "--json"});
  const Result bad = RunCli(readOnly, home.Path());
  EXPECT_EQ(bad.exitCode, 3);
  EXPECT_NE(bad.err.find("00000003.bin の 69632 バイト目（破損）"), std::string::npos) << bad.err;
  EXPECT_NE(bad.out.find("\"corrupted\": 1"), std::string::npos);
  // The history does not read as "passed" either, to older readers too.
  std::string lines = Contents(home / "data/tarnwell/history.jsonl");
  lines.pop_back();
  const std::string last = lines.substr(lines.rfind('\n') + 1);
  EXPECT_NE(last.find("\"verified\": false, \"verification\": \"failed\""), std::string::npos);
  EXPECT_NE(last.find("\"result\": \"unverified\""), std::string::npos);
  EXPECT_NE(lines.find("\"verified\": true, \"verification\": \"passed\""), std::string::npos);
  EXPECT_NE(bad.out.find("\"result\": \"completed\""), std::string::npos);
}

TEST(Cli, JsonReportsChoicesRowsAndSummaries) {
  TempFolder home;
  const Result result =
      RunCli({"--folder", home / "quote\"d", "--file-size", "10KB", "--total", "1024kB", "--random",
              "--read-percent", "10", "--repeat", "3", "--json"},
             home.Path());
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(result.out.starts_with("{\n"));
  EXPECT_NE(result.out.find("\"folder\": \"" + home.Path() + "/quote\\\"d\""), std::string::npos);
  EXPECT_NE(result.out.find("\"total\": \"1MB\""), std::string::npos);
  EXPECT_NE(result.out.find("\"fileCount\": 102"), std::string::npos);
  EXPECT_NE(result.out.find("\"exactSeconds\": "), std::string::npos);
  EXPECT_NE(result.out.find("\"readCount\": 10,"), std::string::npos);
  EXPECT_NE(result.out.find("{\"repetition\": 3, \"write\": {\"seconds\": "), std::string::npos);
  EXPECT_NE(result.out.find("\"summary\": {\"write\": {\"bytes\": 1044480, "), std::string::npos);
  EXPECT_NE(result.out.find(
                "\"report\": null,\n  \"outcome\": {\"result\": \"completed\", \"box\": \"\", "
                "\"message\": \"\"}"),
            std::string::npos);
  EXPECT_EQ(result.out.find("回数"), std::string::npos);  // no table in JSON mode
  EXPECT_TRUE(std::filesystem::exists(home / "cache/tarnwell/test.txt"));
}

TEST(Cli, MergesTheDocumentsOfTwoHostsAndRefusesWhatItCannotRead) {
  TempFolder home;
  for (const char* host : {"one", "two"}) {
    ASSERT_EQ(RunCli({"--settings", "/dev/null", "--folder", home.Path(), "--per-host", "--host",
                      host, "--json-file", home / (std::string(host) + ".json"), "--no-history"},
                     home.Path())
                  .exitCode,
              0);
  }
  const Result merged = RunCli(
      {"--merge", home / "one.json", home / "two.json", "--json", "--report", home / "merged.html"},
      home.Path());
  EXPECT_EQ(merged.exitCode, 0) << merged.err;
  EXPECT_NE(merged.out.find("\"schema\": \"tarnwell-merge/1\""), std::string::npos);
  EXPECT_NE(merged.out.find("\"host\": \"two\""), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_regular_file(home / "merged.html"));

  std::ofstream(home / "table.txt") << "回数\t時間\n";
  for (const std::string& file : {home / "none.json", home / "table.txt", home.Path()}) {
    const Result refused = RunCli({"--merge", home / "one.json", file}, home.Path());
    EXPECT_EQ(refused.exitCode, 1) << file;
    EXPECT_TRUE(refused.out.empty());
    EXPECT_NE(refused.err.find("tarnwell-cli: "), std::string::npos);
  }
}

TEST(Cli, InterruptEndsTheRunPromptlyAndRemovesItsFiles) {
  TempFolder home;
  const auto start = std::chrono::steady_clock::now();
  // Ten-second pauses: interrupted right after the first write half arrives.
  const Result result =
      RunCli({"--folder", home.Path(), "--wait", "10", "--repeat", "3", "--delete"}, home.Path(),
             /*interruptAfter=*/100);
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(result.exitCode, 130);
  EXPECT_LT(seconds, 9.0);
  EXPECT_NE(result.err.find("中断しました"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(home / "TRW_TEMP"));
}

TEST(Cli, TakesItsDefaultsFromTheWindowsSettingsWithoutWritingThem) {
  TempFolder home;
  const std::string settings = home / "tarnwell.INI";
  const std::string text =
      "[Window]\nTop=5\n[main]\nfolder=" + home.Path() +
      "/saved\nFileSize=1\nTotalSize=0\nRepeat=1\nWait=11\nReadPercentage=-1\nDeleteAfterWrite=0\n";
  std::ofstream(settings) << text;
  const Result result = RunCli({"--settings", settings, "--json"}, home.Path());
  ASSERT_EQ(result.exitCode, 0) << result.err;
  // Out-of-range saved indexes fall back to the defaults (no wait, read all).
  EXPECT_NE(result.out.find(
                "\"fileSize\": \"10KB\", \"total\": \"1MB\", \"repeat\": 3, \"waitSeconds\": 0, "
                "\"readPercent\": 100.0"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(home / "saved/TRW_TEMP/00000102.bin"));  // kept
  std::ifstream reread(settings);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reread), {}), text);

  // Options still win over the file; a named file that is missing is an error.
  const Result overridden =
      RunCli({"--settings=" + settings, "--repeat", "1", "--json"}, home.Path());
  EXPECT_NE(overridden.out.find("\"repeat\": 1,"), std::string::npos);
  EXPECT_EQ(RunCli({"--settings", home / "none.INI"}, home.Path()).exitCode, 2);
}

TEST(Cli, NeverRunsSomewhereTheUserDidNotName) {
  TempFolder home;
  ASSERT_EQ(::mkfifo((home / "fifo.INI").c_str(), 0600), 0);
  std::filesystem::create_directory(home / "folder.INI");
  // Files named on the command line that cannot be read: usage errors, and
  // a FIFO must not block.
  for (const std::string& settings :
       {home / "fifo.INI", home / "folder.INI", std::string("/proc/self/status")}) {
    EXPECT_EQ(RunCli({"--settings", settings}, home.Path()).exitCode, 2) << settings;
  }
  // A saved folder that is relative or longer than a reader takes.
  for (const std::string& folder : {std::string("C:\\Temp"), "/" + std::string(3000, 'x')}) {
    testing::Put(home / "saved.INI", "[Main]\nFolder=" + folder + "\n");
    const Result result = RunCli({"--settings", home / "saved.INI"}, home.Path());
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("Folder"), std::string::npos);
  }
  // An option is never taken as another option's value.
  EXPECT_EQ(RunCli({"--folder", "--json"}, home.Path()).exitCode, 2);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.Path()), {}), 3);
  EXPECT_FALSE(std::filesystem::exists("--json"));
}

TEST(Cli, ASavedRelativeFolderHasNoSayWhereItIsNotUsed) {
  TempFolder home;
  // The window beside this copy saved "zz" as its folder.
  std::filesystem::create_directory(home / "bin");
  const std::string program = home / "bin/tarnwell-cli";
  std::filesystem::copy_file(TARNWELL_CLI, program);
  testing::Put(home / "bin/tarnwell.INI", "[Main]\nFolder=zz\nRepeat=1\n");
  const auto run = [&](const std::vector<std::string>& arguments) {
    return RunCli(arguments, home.Path(), 0, 0, SIGINT, {}, program);
  };
  EXPECT_EQ(run({"--help"}).exitCode, 0);
  EXPECT_EQ(run({"--version"}).exitCode, 0);
  EXPECT_EQ(run({"--history"}).exitCode, 0);
  // The folder named on the command line wins; the other choices still count.
  const Result named = run({"--folder", home / "disk", "--json"});
  EXPECT_EQ(named.exitCode, 0) << named.err;
  EXPECT_NE(named.out.find("\"repeat\": 3,"), std::string::npos);
  // Where the saved folder would be measured, it is refused.
  const Result saved = run({});
  EXPECT_EQ(saved.exitCode, 2);
  EXPECT_NE(saved.err.find("Folder \"zz\""), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(home / "bin/zz"));
}

TEST(Cli, OutputThatCannotBeWrittenIsAFailureAndJsonStaysUtf8) {
  TempFolder home;
  const std::string command = std::string(TARNWELL_CLI) + " --folder " + home.Path() +
                              " --settings /dev/null > /dev/full 2>/dev/null";
  const int status = std::system(command.c_str());
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_FALSE(std::filesystem::exists(home / "TRW_TEMP"));

  // A folder name in another encoding: escaped, recoverable, valid UTF-8.
  const Result result = RunCli({"--folder", home / "caf\xe9", "--json"}, home.Path());
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("/caf\\udce9\""), std::string::npos);
  EXPECT_EQ(result.out.find('\xe9'), std::string::npos);
}

TEST(Cli, HangUpAndQuitCleanUpLikeAnInterrupt) {
  for (int signalNumber : {SIGHUP, SIGQUIT}) {
    TempFolder home;
    const Result result =
        RunCli({"--folder", home.Path(), "--wait", "10", "--repeat", "3", "--delete"}, home.Path(),
               /*interruptAfter=*/100, 0, signalNumber);
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_FALSE(std::filesystem::exists(home / "TRW_TEMP"));
  }
}

TEST(Cli, KeepsAHistoryListsItAndWritesAReport) {
  TempFolder home;
  const std::vector<std::string> run = {"--settings",  "/dev/null", "--folder", home / "disk",
                                        "--file-size", "100KB",     "--total",  "1MB"};
  ASSERT_EQ(RunCli(run, home.Path()).exitCode, 0);
  std::vector<std::string> quiet = run;
  quiet.push_back("--no-history");
  quiet.push_back("--json");
  const Result json = RunCli(quiet, home.Path());
  EXPECT_NE(json.out.find("\"latency\": {\"files\": 10, \"p50\": "), std::string::npos);
  EXPECT_NE(json.out.find("\"timelineMBps\": ["), std::string::npos);
  EXPECT_NE(json.out.find("\"device\": {\"folder\": "), std::string::npos);

  std::vector<std::string> reported = run;
  reported.push_back("--report");
  reported.push_back(home / "report.html");
  ASSERT_EQ(RunCli(reported, home.Path()).exitCode, 0);
  const std::string report = testing::Contents(home / "report.html");
  EXPECT_NE(report.find("<svg"), std::string::npos);
  EXPECT_NE(report.find("これまでの測定との比較"), std::string::npos);
  // A link at the report's name is not written through: the run fails.
  std::filesystem::rename(home / "report.html", home / "victim.html");
  std::filesystem::create_symlink(home / "victim.html", home / "report.html");
  // It is refused before anything is measured.
  const Result linked = RunCli(reported, home.Path());
  EXPECT_EQ(linked.exitCode, 1);
  EXPECT_NE(linked.err.find("report.html を書き込めません\nシンボリックリンクです"),
            std::string::npos)
      << linked.err;
  EXPECT_TRUE(linked.out.empty());
  EXPECT_EQ(testing::Contents(home / "victim.html"), report);

  // Two runs kept (the --no-history one is not), newest first.
  const Result listed = RunCli({"--history", "--match", home / "disk"}, home.Path());
  EXPECT_EQ(listed.exitCode, 0);
  EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 3);
  EXPECT_EQ(RunCli({"--history", "--match", "elsewhere"}, home.Path()).out.find("/disk"),
            std::string::npos);
  const Result asJson = RunCli({"--history", "--json"}, home.Path());
  EXPECT_EQ(asJson.exitCode, 0);
  testing::Put(home / "runs.json", asJson.out);
  const std::string check =
      "python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); "
      "sys.exit(len(d[\"runs\"]) != 2 or d[\"damaged\"] != 0)' " +
      home / "runs.json";
  EXPECT_EQ(std::system(check.c_str()), 0) << asJson.out;
  // Each run as its line stands in the history, byte for byte.
  const std::string stored = Contents(home / "data/tarnwell/history.jsonl");
  EXPECT_NE(asJson.out.find(stored.substr(0, stored.find('\n'))), std::string::npos);

  // Hostile lines: a NUL, escape sequences and line breaks are shown escaped
  // and cut nothing short; figures no run writes make a line damaged.
  const std::string history = home / "data/tarnwell/history.jsonl";
  std::string line = testing::Contents(history);
  line = line.substr(0, line.find('\n'));
  const auto with = [&](const std::string& from, const std::string& to) {
    std::string changed = line;
    changed.replace(changed.find(from), from.size(), to);
    return changed + "\n";
  };
  const std::string folder = "\"folder\": \"" + home / "disk";
  std::ofstream(history, std::ios::app)
      << with(folder, folder + "\\u0000\\u001b]0;x\\u0007\\n1\\tfake")
      << with("\"meanWriteMBps\": ", "\"meanWriteMBps\": 1e308, \"x\": ")
      << with("\"meanReadMBps\": ", "\"meanReadMBps\": NaN, \"x\": ")
      << with(folder, folder + "\\ud800");
  const Result hostile = RunCli({"--history"}, home.Path());
  EXPECT_EQ(hostile.exitCode, 0);
  EXPECT_EQ(std::count(hostile.out.begin(), hostile.out.end(), '\n'), 4);
  EXPECT_EQ(hostile.out.find('\x1b'), std::string::npos);
  EXPECT_EQ(hostile.out.find('\0'), std::string::npos);
  EXPECT_NE(hostile.out.find("/disk\\x00\\x1b]0;x\\x07\\n1\\tfake\t"), std::string::npos);
  EXPECT_NE(hostile.err.find("壊れた 3 行"), std::string::npos);
}

TEST(Cli, AHistoryThatIsNoPlainFileNeitherBlocksNorPassesForEmpty) {
  TempFolder home;
  std::filesystem::create_directories(home / "data/tarnwell");
  const std::string history = home / "data/tarnwell/history.jsonl";
  ASSERT_EQ(::mkfifo(history.c_str(), 0600), 0);
  // The run is not held up: it says why it was not kept, and completes.
  const Result run = RunCli({"--settings", "/dev/null", "--folder", home / "disk"}, home.Path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.err.find("履歴 " + history + " に書き込めません\n通常のファイルではありません"),
            std::string::npos)
      << run.err;
  // Nothing to list is not the same as a history that cannot be read; a
  // link there is read no more than it is written.
  testing::Put(home / "elsewhere.jsonl", "{}\n");
  for (const std::string kind : {"fifo", "folder", "link"}) {
    std::filesystem::remove(history);
    if (kind == "fifo") {
      ASSERT_EQ(::mkfifo(history.c_str(), 0600), 0);
    }
    if (kind == "folder") std::filesystem::create_directory(history);
    if (kind == "link") std::filesystem::create_symlink(home / "elsewhere.jsonl", history);
    const Result listed = RunCli({"--history"}, home.Path());
    EXPECT_EQ(listed.exitCode, 1) << kind;
    EXPECT_TRUE(listed.out.empty()) << kind;
    EXPECT_NE(listed.err.find("を読めません\n"), std::string::npos) << kind;
  }
  std::filesystem::remove(history);
  EXPECT_EQ(RunCli({"--history"}, home.Path()).exitCode, 0);
}

TEST(Cli, JsonKeepsItsTypesAndSaysWhenTheReportWasLost) {
  TempFolder home;
  // The report's folder is there when it is checked, and gone by the time
  // it is written: during the wait for a common start.
  std::filesystem::create_directory(home / "out");
  const std::int64_t start = std::chrono::duration_cast<std::chrono::microseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count() +
                             3'000'000;
  std::thread remover([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    std::filesystem::remove(home / "out");
  });
  const Result result = RunCli(
      {"--settings", "/dev/null", "--folder", home / "disk", "--json", "--report",
       home / "out/x.html", "--start-at",
       std::to_string(start / 1000000) + "." + std::to_string(start % 1000000 + 1000000).substr(1)},
      home.Path());
  remover.join();
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("レポート " + home / "out/x.html" + " を書き込めません\n"),
            std::string::npos);
  // The history does not call completed what exits 1.
  const std::optional<RunRecord> kept =
      ParseHistoryLine(Contents(home / "data/tarnwell/history.jsonl"));
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->Result, "stopped");
  EXPECT_TRUE(kept->Message.starts_with("レポート ")) << kept->Message;
  testing::Put(home / "run.json", result.out);
  // Figures are floats whatever their value, and every outcome has the same
  // members; the lost report is the result.
  const char* check = R"(python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
floats = {"seconds", "mbps", "mbPerSecond", "meanSeconds", "variance", "p50", "p90", "p99",
          "p99.9", "max", "readPercent", "timelineMBps"}
def walk(value, key):
    if isinstance(value, dict):
        for k, v in value.items(): walk(v, k)
    elif isinstance(value, list):
        for v in value: walk(v, key)
    elif key in floats:
        assert isinstance(value, float), (key, value)
walk(d, None)
assert d["choices"]["readPercent"] == 100.0 and d["summary"] is not None
assert d["report"]["written"] is False and d["report"]["message"].startswith("レポート ")
assert d["outcome"] == {"result": "stopped", "box": "plain", "message": d["report"]["message"]}
' )";
  EXPECT_EQ(std::system((check + home / "run.json").c_str()), 0) << result.out;
}

// A user the system does not know (no passwd entry) and no HOME: no folder
// is guessed, "/" plus a relative folder is never used, and the history is
// skipped with a message while a named folder is still measured.
TEST(Cli, AUserWithoutAHomeIsToldWhatIsMissing) {
  constexpr uid_t Unknown = 54321;
  if (::geteuid() != 0 || ::getpwuid(Unknown) != nullptr) {
    GTEST_SKIP() << "needs root and a free user id";
  }
  TempFolder home;
  ASSERT_EQ(::chown(home.Path().c_str(), Unknown, Unknown), 0);
  const auto asUnknown = [] {
    for (const char* name : {"HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
      ::unsetenv(name);
    }
    if (::setgroups(0, nullptr) != 0 || ::setresgid(Unknown, Unknown, Unknown) != 0 ||
        ::setresuid(Unknown, Unknown, Unknown) != 0) {
      ::_exit(125);
    }
  };
  const Result guessed = RunCli({"--settings", "/dev/null"}, home.Path(), 0, 0, SIGINT, asUnknown);
  if (guessed.exitCode == 127) GTEST_SKIP() << "the build folder is closed to other users";
  EXPECT_EQ(guessed.exitCode, 2);
  EXPECT_NE(guessed.err.find("測定するフォルダがわかりません\nホームフォルダがわかりません"),
            std::string::npos)
      << guessed.err;
  EXPECT_NE(guessed.err.find("--folder"), std::string::npos);

  std::vector<std::string> named = {"--settings", "/dev/null", "--folder", home.Path()};
  const Result measured = RunCli(named, home.Path(), 0, 0, SIGINT, asUnknown);
  EXPECT_EQ(measured.exitCode, 0) << measured.err;
  EXPECT_NE(measured.out.find("\n1\t"), std::string::npos);
  EXPECT_NE(measured.err.find("この測定は履歴に残りません\nホームフォルダがわかりません"),
            std::string::npos)
      << measured.err;
  // The random-order list has no place either: never the current folder.
  named.push_back("--random");
  const Result random = RunCli(named, home.Path(), 0, 0, SIGINT, asUnknown);
  EXPECT_EQ(random.exitCode, 1);
  EXPECT_NE(random.err.find("ファイル test.txt を作成できません.\nホームフォルダがわかりません"),
            std::string::npos)
      << random.err;
  EXPECT_EQ(RunCli({"--history"}, home.Path(), 0, 0, SIGINT, asUnknown).exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists("/.local/share/tarnwell"));
  EXPECT_FALSE(std::filesystem::exists(home / "TRW_TEMP"));
}

TEST(Cli, AReaderThatGoesAwayDoesNotLeaveTestFilesBehind) {
  TempFolder home;
  const Result result = RunCli({"--folder", home.Path(), "--repeat", "3", "--wait", "1", "--delete",
                                "--json-file", home / "run.json"},
                               home.Path(), 0,
                               /*closeAfter=*/1);
  // The run stops at the next row it cannot write and cleans up; a table
  // nobody got is no success, in the history either.
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("標準出力に書き込めません"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(home / "TRW_TEMP"));
  const std::optional<RunRecord> kept =
      ParseHistoryLine(Contents(home / "data/tarnwell/history.jsonl"));
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->Result, "stopped");
  EXPECT_TRUE(kept->Message.starts_with("標準出力に書き込めません")) << kept->Message;
  EXPECT_LT(kept->Repetitions.size(), 3u);
  const std::optional<JsonValue> document = ParseJson(Contents(home / "run.json"));
  ASSERT_TRUE(document);
  EXPECT_EQ(document->Find("outcome")->TextAt("result"), "stopped");
}

// Microseconds since 1970 by the wall clock, as the runner reads it.
std::int64_t UtcNow() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string EpochText(std::int64_t microseconds) {
  return std::to_string(microseconds / 1000000) + "." +
         std::to_string(microseconds % 1000000 + 1000000).substr(1);
}

TEST(Cli, HostsStartTogetherEachInItsOwnFolderOnASharedOne) {
  TempFolder home;
  // Two hosts on one shared folder, one common start 2 s ahead: both runs
  // complete (each holds the lock of its own run folder) and start within
  // 50 ms of the time asked for.
  const std::int64_t start = UtcNow() + 2000000;
  Result runs[2];
  const char* hosts[2] = {"alpha", "be/ta"};
  std::vector<std::thread> threads;
  for (int h = 0; h < 2; ++h) {
    threads.emplace_back([&, h] {
      runs[h] = RunCli(
          {"--folder", home / "share", "--per-host", "--host", hosts[h], "--keep", "--file-size",
           "100KB", "--total", "1MB", "--start-at", EpochText(start), "--label", "fleet", "--json"},
          home.Path());
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int h = 0; h < 2; ++h) {
    ASSERT_EQ(runs[h].exitCode, 0) << runs[h].err;
    const std::optional<JsonValue> document = ParseJson(runs[h].out);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->TextAt("host"), hosts[h]);
    EXPECT_EQ(document->TextAt("label"), "fleet");
    const JsonValue* startAt = document->Find("startAt");
    ASSERT_NE(startAt, nullptr);
    EXPECT_EQ(startAt->TextAt("requested"), FormatUtc(start));
    const std::optional<std::int64_t> actual = ParseUtcTime(startAt->TextAt("actual"));
    ASSERT_TRUE(actual);
    EXPECT_GE(*actual, start - 1000);  // the text keeps whole milliseconds
    EXPECT_LT(*actual, start + 50000);
    const std::optional<std::int64_t> written =
        ParseUtcTime(document->Find("repetitions")->Items.at(0).Find("write")->TextAt("startUtc"));
    ASSERT_TRUE(written);
    EXPECT_GE(*written, start - 1000);
  }
  EXPECT_TRUE(std::filesystem::is_directory(home / "share/TRW_TEMP-alpha"));
  EXPECT_TRUE(std::filesystem::is_directory(home / "share/TRW_TEMP-be_ta"));
  EXPECT_FALSE(std::filesystem::exists(home / "share/TRW_TEMP"));
}

TEST(Cli, AStartOutOfReachIsRefusedAndAnInterruptedWaitMakesNothing) {
  TempFolder home;
  const std::int64_t now = UtcNow();
  for (const std::string& time :
       {EpochText(now - 5000000), EpochText(now + 24LL * 3600 * 1000000 + 60000000),
        std::string("2026-12-10T05:40:12")}) {
    const Result refused = RunCli({"--folder", home.Path(), "--start-at", time}, home.Path());
    EXPECT_EQ(refused.exitCode, 2) << time;
    EXPECT_NE(refused.err.find("--start-at"), std::string::npos) << refused.err;
  }
  // Ctrl+C half a second into a wait of a minute.
  const auto interrupter = [] {
    if (::fork() == 0) {
      ::usleep(500000);
      ::kill(::getppid(), SIGINT);
      ::_exit(0);
    }
  };
  const auto begun = std::chrono::steady_clock::now();
  const Result waited = RunCli({"--folder", home.Path(), "--start-at", EpochText(now + 60000000),
                                "--json-file", home / "run.json"},
                               home.Path(), 0, 0, SIGINT, interrupter);
  EXPECT_EQ(waited.exitCode, 130);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count(), 10);
  EXPECT_NE(waited.err.find("中断しました"), std::string::npos);
  EXPECT_TRUE(waited.out.empty());
  EXPECT_FALSE(std::filesystem::exists(home / "TRW_TEMP"));
  EXPECT_FALSE(std::filesystem::exists(home / "run.json"));
}

TEST(Cli, JsonFileKeepsTheTableOnStdoutAndALostDocumentFailsTheRun) {
  TempFolder home;
  const Result written = RunCli({"--folder", home.Path(), "--file-size", "100KB", "--total", "1MB",
                                 "--json-file", home / "run.json"},
                                home.Path());
  ASSERT_EQ(written.exitCode, 0) << written.err;
  EXPECT_TRUE(written.out.starts_with("回数\t"));
  const std::optional<JsonValue> document = ParseJson(Contents(home / "run.json"));
  ASSERT_TRUE(document);
  EXPECT_EQ(document->TextAt("schema"), "tarnwell-run/1");
  EXPECT_EQ(document->Find("label")->Type, JsonValue::Kind::Null);

  // A link at the path is refused, not followed, and a missing folder found
  // wanting, both before anything is measured.
  std::filesystem::create_symlink(home / "elsewhere.json", home / "link.json");
  for (const std::string& file : {home / "link.json", home / "missing/run.json"}) {
    const Result refused = RunCli({"--folder", home.Path(), "--file-size", "100KB", "--total",
                                   "1MB", "--json-file", file, "--json"},
                                  home.Path());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("JSON ファイル " + file + " を書き込めません\n"), std::string::npos)
        << refused.err;
    EXPECT_TRUE(refused.out.empty());
  }
  EXPECT_FALSE(std::filesystem::exists(home / "elsewhere.json"));
  EXPECT_FALSE(std::filesystem::exists(home / "TRW_TEMP"));
}

TEST(Cli, NoOutputReplacesAnotherOutputAnInputOrTheProgramsOwnFiles) {
  TempFolder home;
  const std::string history = home / "data/tarnwell/history.jsonl";
  std::filesystem::create_directories(home / "data/tarnwell");
  testing::Put(history, "{\"date\": \"earlier run\"}\n");
  testing::Put(home / "choices.ini", "[Options]\n");
  testing::Put(home / "a.json", "a");
  std::filesystem::create_hard_link(home / "choices.ini", home / "other name.ini");
  const std::vector<std::string> run = {"--folder", home.Path(), "--settings",
                                        home / "choices.ini"};
  const auto with = [&](std::vector<std::string> more) {
    more.insert(more.begin(), run.begin(), run.end());
    return more;
  };
  // Spelt differently, or not there yet: the same file all the same.
  for (const std::vector<std::string>& arguments :
       {with({"--report", home / "x.html", "--json-file", home / "./x.html"}),
        with({"--report", home / "a.json", "--json-file",
              home / ("../" + std::filesystem::path(home.Path()).filename().string() + "/a.json")}),
        with({"--json-file", home / "data/../data/tarnwell/history.jsonl"}),
        with({"--report", home / "choices.ini"}),
        with({"--report", home / "other name.ini"}),
        {"--merge", home / "a.json", home / "b.json", "--report", home / "a.json"},
        {"--merge", home / "b.json", "--report", history}}) {
    const Result result = RunCli(arguments, home.Path());
    EXPECT_EQ(result.exitCode, 2) << arguments.back();
    EXPECT_NE(result.err.find("と同じファイルです"), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.empty());
  }
  // Nor the standard output, where it goes to one of them.
  const std::string appended = "HOME=" + home.Path() + " XDG_DATA_HOME=" + home / "data" + " " +
                               TARNWELL_CLI + " --history >> " + history + " 2>/dev/null";
  EXPECT_EQ(WEXITSTATUS(std::system(appended.c_str())), 2);
  // Nothing was measured, and nothing replaced.
  EXPECT_EQ(Contents(history), "{\"date\": \"earlier run\"}\n");
  EXPECT_EQ(Contents(home / "choices.ini"), "[Options]\n");
  EXPECT_EQ(Contents(home / "a.json"), "a");
  EXPECT_FALSE(std::filesystem::exists(home / "x.html"));
  EXPECT_FALSE(std::filesystem::exists(home / "TRW_TEMP"));
}

}  // namespace
}  // namespace tarnwell
