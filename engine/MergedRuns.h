// Many hosts' run documents taken together: checked to have measured alike,
// one row per host, the throughput summed over the time all hosts' phases
// ran at once, and the latency percentiles of every file of every host,
// merged from the documents' histogram buckets rather than averaged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Json.h"
#include "engine/PhaseStats.h"

namespace tarnwell {

// The merged result's own texts.
namespace MergeTexts {
inline constexpr const char* RunSchema = "tarnwell-run/1";
inline constexpr const char* MergeSchema = "tarnwell-merge/1";
// After a document's name.
inline constexpr const char* NotJson = " は JSON の文書ではありません";
inline constexpr const char* WrongSchema =
    " は測定結果の文書 (\"schema\": \"tarnwell-run/1\") ではありません";
inline constexpr const char* Malformed = " の内容が正しくありません: ";
inline constexpr const char* NotCompleted = " の測定は完了していません: ";
inline constexpr const char* SameRun = " は同じ測定 (runId ";
inline constexpr const char* ChoicesDiffer = "測定の条件がホストによって異なります: ";
inline constexpr const char* NoDocuments = "まとめる文書がありません";

inline constexpr const char* HostHeader = "ホスト\tラベル\t書き（MB/秒）\t読み（MB/秒）\n";
inline constexpr const char* OverlapTitle = "●全ホストが同時に動いた区間の合計\n";
inline constexpr const char* OverlapHeader =
    "回数\t段階\t区間（秒）\t合計（MB/秒）\t各ホストの段階に占める割合\n";
inline constexpr const char* NoOverlap = "重なっていません（合計しません）";
inline constexpr const char* NotEveryHost = "この段階のないホストがあります（合計しません）";
inline constexpr const char* TooShort =
    "1 ミリ秒に満たない段階があり、重なりを確かめられません（合計しません）";
inline constexpr const char* LatencyTitle = "●ファイルごとの所要時間（全ホスト、ミリ秒）\n";
inline constexpr const char* LatencyHeader = "段階\tファイル数\tp50\tp90\tp99\tp99.9\t最大\n";
inline constexpr const char* Write = "書き込み";
inline constexpr const char* Read = "読み込み";
}  // namespace MergeTexts

// One document as read: its name (the file) and its bytes.
struct MergeDocument {
  std::string Name;
  std::string Text;
};

// One phase of one host, its times in seconds since 1970 (UTC).
struct HostPhase {
  double Start = 0;
  double End = 0;
  double MBPerSecond = 0;  // over the whole phase, as the table has it
  // The share timeline: each share's end as seconds after the phase start,
  // and its MB/s; empty when the run kept no per-file times.
  std::vector<double> ShareEnds;
  std::vector<double> ShareMBps;
};

struct MergedHost {
  std::string File;
  std::string Host;
  std::optional<std::string> Label;
  std::string RunId;
  double WriteMBps = -1;  // the run's mean throughput; -1 for none
  double ReadMBps = -1;
  // Per repetition, in order.
  std::vector<std::optional<HostPhase>> Writes;
  std::vector<std::optional<HostPhase>> Reads;
};

// One phase kind of one repetition across all hosts.
struct PhaseOverlap {
  int Repetition = 0;
  bool Write = true;
  bool EveryHost = false;  // every host ran this phase
  // Some host's phase began and ended within one millisecond of the
  // documents' clock: where it lay against the others is unknown.
  bool TooShort = false;
  bool Overlapped = false;
  double Start = 0;  // the interval all hosts' phases ran at once (UTC seconds)
  double End = 0;
  double SumMBps = 0;            // all hosts' MB/s within that interval
  std::vector<double> HostMBps;  // each host's share of that sum
  std::vector<double> Shares;    // the interval's share of each host's phase, 0..1
};

// Every file of one phase kind, all hosts and repetitions.
struct MergedLatency {
  std::int64_t Files = 0;
  double P50 = 0;
  double P90 = 0;
  double P99 = 0;
  double P999 = 0;
  LatencyHistogram Histogram;  // the hosts' histograms added up
};

struct MergedRuns {
  std::string Error;  // why the documents were refused; empty when merged
  JsonValue Choices;  // the common choices, without folder and priority
  std::vector<MergedHost> Hosts;
  std::vector<PhaseOverlap> Phases;
  std::optional<MergedLatency> WriteLatency;
  std::optional<MergedLatency> ReadLatency;
};

// Checks one document and takes its host in: false, with merged.Error
// saying why, when it is refused (or an earlier one was). The text is not
// kept, so that many hosts' documents need not be in memory at once.
bool AddRun(MergedRuns& merged, const std::string& name, std::string_view text);
// The overlaps and percentiles of the hosts taken in; refused without any.
void FinishMerge(MergedRuns& merged);

// Checks and merges the documents. Refused, with Error saying why: one that
// is not JSON or not a run document, one whose run did not complete, the
// same run twice, or hosts that ran with different choices (their folder
// and priority may differ).
MergedRuns MergeRuns(const std::vector<MergeDocument>& documents);

// The runner's text: the hosts, the overlaps and the merged percentiles.
std::string MergedText(const MergedRuns& merged);
// The same as a document ("schema": "tarnwell-merge/1").
std::string MergedJson(const MergedRuns& merged);
// The same as one self-contained XHTML report with a bar per host.
std::string MergedHtmlReport(const MergedRuns& merged);

}  // namespace tarnwell
