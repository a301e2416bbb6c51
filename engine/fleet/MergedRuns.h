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

#include "engine/base/Json.h"
#include "engine/judge/Verdict.h"
#include "engine/model/PhaseStats.h"

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
// After a document's name: the member, then what is wrong with it.
inline constexpr const char* NotUuid = "runId は小文字の UUID ではありません";
inline constexpr const char* FileSizeMismatch = "fileSizeBytes が choices の fileSize と合いません";
inline constexpr const char* CountOutOfRange = "%s は %lld から %lld までの整数にしてください";
inline constexpr const char* RepeatNotAChoice = "choices の repeat は 1 3 5 10 のどれかです";
inline constexpr const char* RepetitionNumber = "%d 番目の繰り返しの番号が %s です";
inline constexpr const char* RepetitionCount =
    "完了した測定の繰り返しは %d 回のはずが、%d 回あります";
inline constexpr const char* WriteMissing = "%d 回目の書き込みがありません";
inline constexpr const char* ReadMissing = "%d 回目の読み込みがありません";
inline constexpr const char* PhaseUnexpected = "読み込みだけの測定に %d 回目の書き込みがあります";
inline constexpr const char* TimelineTooLong = "timeline は %d 区切りまでです（%zu あります）";
inline constexpr const char* TimelineBeyondPhase = "timeline が段階の時間を超えています";
inline constexpr const char* TimelineTooManyBytes =
    "timeline の転送量が段階のファイルの合計を超えています";
inline constexpr const char* SecondsMismatch = "seconds が startUtc と endUtc の間と合いません";
inline constexpr const char* TooManyFiles =
    "histogram のファイル数 %lld が段階のファイル数 %lld を超えています";
inline constexpr const char* BadVerify = "verify の内容が正しくありません";
inline constexpr const char* BadClockOffset =
    "clockOffsetSeconds は -86400 から 86400 までの秒数か null です";

inline constexpr const char* HostHeader =
    "ホスト\tラベル\t書き（MB/秒）\t読み（MB/秒）\t書きの判定\t読みの判定\t検証\n";
// A host's verification cell.
inline constexpr const char* NotVerified = "検証なし";
inline constexpr const char* VerifyPassed = "正常";
// "%lld" the bad sectors, "%lld" the sectors checked.
inline constexpr const char* VerifyFailed = "不良 %lld / %lld セクタ";
// The report's subtitle: "%zu" the hosts.
inline constexpr const char* HostCount = "%zu ホスト";
inline constexpr const char* HostCountFailed = "%zu ホスト（検証に通らないデータあり）";
// The notes after the merged tables; "%s" the hosts.
inline constexpr const char* FailedNote =
    "データが検証に通らなかったホストがあります（%s）。ホストごとの速度、合計と百分位数には"
    "そのホストの値も含まれています。";
inline constexpr const char* CacheNote =
    "キャッシュを計測した段階のあるホストがあります（%"
    "s）。その段階の速度は装置の速度ではありません。";
inline constexpr const char* UnknownOffsetNote =
    "時計のずれがわからないホストがあります（%s）。時計がずれていれば、同時に動いた区間とその"
    "合計は実際と違います（--clock-offset で各ホストの時計のずれを記録してください）。";
// "%s" the host, "%s" why its phases could not be judged.
inline constexpr const char* UnjudgedNote = "%s の段階は装置を計測したか確かめられません: %s";
// "%s" the offsets' uncertainty in seconds.
inline constexpr const char* ClockDoubtNote =
    "時計のずれの不確かさ（±%s 秒）が同時に動いた区間やその隔たりに比べて大きく、"
    "区間と合計は確かではありません。";
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
  // The host's clock less the control node's, as measured before the run;
  // the phases' times below are already on the control node's clock.
  std::optional<double> ClockOffset;
  // Whether the run checked its data, and the sectors it found: checked
  // and not read back as written.
  bool Verified = false;
  std::int64_t SectorsChecked = 0;
  std::int64_t SectorsBad = 0;
  // Each repetition's verdict on the devices' counters (None where the
  // phase is missing or was not judged).
  std::vector<VerdictKind> WriteVerdicts;
  std::vector<VerdictKind> ReadVerdicts;
  // Why the run had no devices' counters (a memory file system, ...);
  // empty when it had them.
  std::string CountersReason;
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
  // The clocks' uncertainty could move the interval's ends by a good part
  // of it, or close the gap between phases that did not overlap.
  bool ClockDoubt = false;
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
  // What the merge itself must say: some host's data failed verification,
  // some phase measured a cache, the hosts without a clock offset, and how
  // far the known offsets may be off (the sum of two hosts' errors).
  bool VerifyFailed = false;
  bool CacheMeasured = false;
  std::vector<std::string> UnknownOffsets;
  double ClockUncertainty = 0;
};

// How far an offset measured over one SSH round trip may be off, at most
// half that round trip: what the merge assumes for each recorded offset.
inline constexpr double OffsetUncertaintySeconds = 0.05;
// The overlap is trusted while the clocks' doubt is at most this share of
// it (or of the gap between phases that did not overlap).
inline constexpr double TrustedDoubtShare = 0.1;
// The largest offset a run records or a merge accepts: a day.
inline constexpr double LargestClockOffset = 86400;

// A host's cells: its verification ("検証なし", "正常", "不良 3 / 2048
// セクタ") and a phase kind's verdicts, each label once ("-" for none).
std::string VerifyCell(const MergedHost& host);
std::string VerdictCell(const MergedHost& host, bool write);
// The notes after the merged tables, one sentence each.
std::vector<std::string> MergeNotes(const MergedRuns& merged);

// Checks one document and takes its host in: false, with merged.Error
// saying why, when it is refused (or an earlier one was). The text is not
// kept, so that many hosts' documents need not be in memory at once.
bool AddRun(MergedRuns& merged, const std::string& name, std::string_view text);
// The overlaps and percentiles of the hosts taken in; refused without any.
void FinishMerge(MergedRuns& merged);

// Checks and merges the documents. Refused, with Error saying why: one that
// is not JSON or not a run document, one whose run did not complete, one
// that holds what no completed run writes (its counts, seconds, phases,
// repetitions, timeline or verification against its own choices), the
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
