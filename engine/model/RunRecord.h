// Everything about one run that outlives it: when and where, the choices,
// the device, the exact result table, each phase's times, throughput,
// latency percentiles and timeline, and how the run ended. The history
// line, the runner's JSON and the HTML report are all made from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/model/FillRecord.h"
#include "engine/model/PhaseJudgement.h"
#include "engine/model/PhaseStats.h"
#include "engine/model/VerifyRecord.h"
#include "platform/DeviceIdentity.h"

namespace tarnwell {

struct PhaseRecord {
  double Seconds = 0;      // the recorded time, as in the table
  double MBPerSecond = 0;  // 2^20 bytes per second
  PhaseStats Stats;        // per-file latencies and timeline (empty when not kept)
  PhaseVerdict Verdict;    // the device's bytes against the benchmark's
  // From the precise clock, unrounded; -1 where not known (older history).
  double ExactSeconds = -1;
  double ExactMBPerSecond = -1;     // 0 when the clock saw no time pass
  std::optional<WriteCliff> Cliff;  // a write phase's lasting fall in throughput
  // When the phase ran by the wall clock, in microseconds since 1970 (UTC);
  // 0 when not known (a record read back from the history).
  std::int64_t StartUtc = 0;
  std::int64_t EndUtc = 0;
  // What checking the data read back found (verified runs' reads only).
  std::optional<PhaseVerification> Verification;
};

struct RepetitionRecord {
  std::int32_t Number = 0;
  std::optional<PhaseRecord> Write;
  std::optional<PhaseRecord> Read;
};

struct RunRecord {
  std::string Date;  // local time, "2026-12-09T17:40:12"
  std::string Host;
  std::string System;  // the operating system, e.g. "Debian GNU/Linux 12 (Linux 6.1.0)"
  std::string Folder;
  // The window's list texts: "1MB", "100MB", "1KB", "100".
  std::string FileSize;
  std::string Total;
  std::string Block;
  std::string ReadPercent;
  std::int32_t Repeat = 0;
  std::int32_t WaitSeconds = 0;
  bool ReadOnly = false;
  bool Random = false;
  bool Delete = false;
  std::int64_t FileSizeBytes = 0;
  std::int32_t FileCount = 0;
  std::int32_t ReadCount = 0;
  platform::DeviceIdentity Device;
  DeviceCounting Counting;  // the devices whose counters judge each phase
  // "direct", or the buffered fallback and its cause.
  std::string IoMode;
  std::string Table;  // the result text exactly as the window shows it
  std::vector<RepetitionRecord> Repetitions;
  bool Verified = false;  // every sector stamped when written, checked when read
  // Mean throughput of the summaries (from the mean time); -1 when none.
  double MeanWriteMBps = -1;
  double MeanReadMBps = -1;
  // "completed", "stopped" (with Message) or "interrupted"; a history line
  // says "unverified" for a completed run whose data failed its check.
  std::string Result;
  std::string Message;
  // For documents merged across machines: a random UUID, the user's label,
  // and the common start that was asked for and when the run really began
  // (microseconds since 1970, UTC; -1 without one).
  std::string RunId;
  std::string Label;
  std::int64_t StartRequested = -1;
  std::int64_t StartActual = -1;
  // What a whole-drive check found; nothing for another run.
  std::optional<FillRecord> Fill;
};

// "Model (vda, ext4)", or what there is of it.
std::string DeviceLabel(const platform::DeviceIdentity& device);
// Whether two runs measured alike: same device, folder and choices.
bool SameSetup(const RunRecord& a, const RunRecord& b);

}  // namespace tarnwell
