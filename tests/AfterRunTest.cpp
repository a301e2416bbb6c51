// The steps after a run that the window and the runner share.
#include <gtest/gtest.h>

#include <filesystem>

#include "TempFolder.h"
#include "engine/output/AfterRun.h"
#include "engine/output/RunDocument.h"

namespace tarnwell {
namespace {

using testing::Contents;
using testing::TempFolder;

RunRecord MeasuredRun() {
  RunRecord record;
  record.Date = "2026-01-02T03:04:05Z";
  record.Folder = "/data";
  record.Result = "completed";
  return record;
}

// The report comes before what the caller writes, the history last, with
// the end the caller gave it.
TEST(AfterRun, WritesTheReportThenLetsTheCallerPublishThenKeepsTheHistory) {
  const TempFolder folder;
  AfterRunPlan plan;
  plan.Stamp = RunStamp{"host-a", "label", 10, 12};
  plan.ReportPath = folder / "report.html";
  plan.HistoryPath = folder / "history.jsonl";
  int published = 0;
  AfterRunSteps steps;
  steps.Noted = [&](const RunRecord& record, const std::vector<std::string>&) {
    EXPECT_EQ(record.Host, "host-a");
    EXPECT_FALSE(std::filesystem::exists(plan.ReportPath));
  };
  steps.Publish = [&](const RunRecord&, const std::optional<RefusalOr<std::string>>& report) {
    ++published;
    EXPECT_TRUE(report && report->Ok());
    EXPECT_TRUE(std::filesystem::exists(plan.ReportPath));
    EXPECT_FALSE(std::filesystem::exists(plan.HistoryPath));
    return std::optional<std::string>("the output was lost");
  };
  const AfterRunResult after = AfterRun(MeasuredRun(), plan, steps);
  EXPECT_EQ(published, 1);
  EXPECT_EQ(after.History.Result, HistoryOutcome::Kind::Kept);
  const std::optional<RunRecord> kept =
      ParseHistoryLine(Contents(plan.HistoryPath), HistoryDetail::Whole);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->Result, "stopped");
  EXPECT_EQ(kept->Message, "the output was lost");
  EXPECT_EQ(kept->Host, "host-a");
  EXPECT_EQ(after.Record.Label, "label");
  EXPECT_FALSE(after.Record.RunId.empty());
  EXPECT_EQ(after.Record.StartRequested, 10);
  EXPECT_EQ(after.Record.StartActual, 12);
}

TEST(AfterRun, NothingMeasuredLeavesNothingAndALinkIsRefusedInTheCallersWords) {
  const TempFolder folder;
  AfterRunPlan plan;
  plan.ReportPath = folder / "report.html";
  plan.ReportCannotWrite = "report.html cannot be written";
  plan.HistoryPath = folder / "history.jsonl";
  const AfterRunResult nothing = AfterRun(RunRecord{}, plan);
  EXPECT_FALSE(nothing.Report);
  EXPECT_EQ(nothing.History.Result, HistoryOutcome::Kind::NotAsked);
  EXPECT_FALSE(std::filesystem::exists(plan.ReportPath));
  EXPECT_FALSE(std::filesystem::exists(plan.HistoryPath));

  // The window's runs stamp nothing; a history without a place is said.
  std::filesystem::create_symlink(folder / "elsewhere", plan.ReportPath);
  plan.HistoryPath.clear();
  const AfterRunResult refused = AfterRun(MeasuredRun(), plan);
  ASSERT_TRUE(refused.Report);
  ASSERT_FALSE(refused.Report->Ok());
  EXPECT_EQ(refused.Report->Message().rfind(plan.ReportCannotWrite + "\n", 0), 0U);
  EXPECT_FALSE(std::filesystem::exists(folder / "elsewhere"));
  EXPECT_TRUE(refused.Record.RunId.empty());
  EXPECT_EQ(refused.History.Result, HistoryOutcome::Kind::NoPlace);
}

}  // namespace
}  // namespace tarnwell
