// The verdict on each phase, its words and its JSON.
#include "engine/judge/Verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/base/TextFormat.h"
#include "engine/model/RunRecord.h"

namespace tarnwell {
namespace {

constexpr double DeviceShare = 0.9;  // at least this much: the device was measured
constexpr double CacheShare = 0.5;   // less than this: a cache answered
constexpr double BytesPerMB = 1048576.0;

// Sized to the text: a path in it may be long.
std::string Fixed(double value) { return FormatText("%.1f", value); }

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

int Percent(double ratio) { return static_cast<int>(std::lround(ratio * 100)); }

std::string CacheName(const DeviceCounting& counting) {
  return counting.BackingFile.empty()
             ? std::string(VerdictTexts::SomeCache)
             : FormatText(VerdictTexts::BackingFileCache, counting.BackingFile.c_str());
}

std::string PhaseName(bool write, int repetition) {
  std::string name = write ? VerdictTexts::Write : VerdictTexts::Read;
  if (repetition > 0) name += FormatText(VerdictTexts::Repetition, repetition);
  return name;
}

std::string Line(const DeviceCounting& counting, const PhaseVerdict& verdict, double mbPerSecond,
                 bool write, int repetition) {
  return PhaseName(write, repetition) + ": " + VerdictLabel(verdict.Kind) + " — " +
         VerdictReason(counting, verdict, mbPerSecond);
}

// The judged phases of one kind, in order.
struct Judged {
  int Repetition;
  const PhaseRecord* Phase;
};
std::vector<Judged> JudgedPhases(const RunRecord& record, bool write) {
  std::vector<Judged> phases;
  for (const RepetitionRecord& repetition : record.Repetitions) {
    const std::optional<PhaseRecord>& phase = write ? repetition.Write : repetition.Read;
    if (phase && phase->Verdict.Kind != VerdictKind::None) {
      phases.push_back({repetition.Number, &*phase});
    }
  }
  return phases;
}

}  // namespace

DeviceCounting CountingFor(const platform::CounterPlan& plan) {
  using platform::CounterGap;
  DeviceCounting counting;
  counting.Wine = plan.Gap == CounterGap::Wine;
  if (plan.Counted()) {
    counting.Devices = plan.Devices;
    counting.BackingFile = plan.BackingFile;
    counting.LinkMBps = plan.LinkBytesPerSecond / BytesPerMB;
    return counting;
  }
  const char* type = plan.FileSystemType.c_str();
  const char* place = plan.PlacePath.c_str();
  if (plan.Place == platform::GapPlace::OverlayUpper && plan.Gap == CounterGap::InMemory) {
    counting.Reason = FormatText(VerdictTexts::OverlayUpperOnMemory, place, type);
    return counting;
  }
  if (plan.Place == platform::GapPlace::LoopBackingFile) {
    counting.Reason =
        plan.FileSystemType.empty()        ? FormatText(VerdictTexts::LoopBackingHidden, place)
        : plan.Gap == CounterGap::InMemory ? FormatText(VerdictTexts::LoopOnMemory, place, type)
                                           : FormatText(VerdictTexts::LoopOnUncounted, place, type);
    return counting;
  }
  switch (plan.Gap) {
    case CounterGap::InMemory:
      counting.Reason = FormatText(VerdictTexts::InMemory, type);
      break;
    case CounterGap::Overlay:
      counting.Reason = FormatText(VerdictTexts::Overlay, type);
      break;
    case CounterGap::Fuse:
      counting.Reason = FormatText(VerdictTexts::Fuse, type);
      break;
    case CounterGap::Network:
      counting.Reason = FormatText(VerdictTexts::Network, type);
      break;
    case CounterGap::Wine:
      counting.Reason = VerdictTexts::Wine;
      break;
    case CounterGap::Failed: {
      const std::string reason = platform::ErrorText(plan.Code);
      counting.Reason =
          std::string(VerdictTexts::CountersFailed) + (reason.empty() ? "" : "（" + reason + "）");
      break;
    }
    case CounterGap::NoBlockDevice:
    case CounterGap::None:
      counting.Reason = FormatText(VerdictTexts::NoBlockDevice, type);
      break;
  }
  return counting;
}

std::string MemoryNotice(const platform::CounterPlan& plan) {
  if (plan.Gap != platform::CounterGap::InMemory || plan.Place == platform::GapPlace::Folder) {
    return "";
  }
  return FormatText(VerdictTexts::MemoryBelow, plan.FileSystemType.c_str(), plan.PlacePath.c_str());
}

namespace {

// What the device's share of the bytes says; below zero: nothing counted.
VerdictKind KindOfShare(double ratio) {
  if (ratio < 0) return VerdictKind::Unknown;
  if (ratio >= DeviceShare) return VerdictKind::Device;
  if (ratio < CacheShare) return VerdictKind::Cache;
  return VerdictKind::Mixed;
}

}  // namespace

PhaseVerdict Judge(const DeviceCounting& counting, std::int64_t bytes, std::int64_t deviceBytes,
                   double mbPerSecond) {
  PhaseVerdict verdict;
  verdict.Bytes = bytes;
  verdict.DeviceBytes = counting.Devices.empty() ? -1 : deviceBytes;
  verdict.OverLink = counting.LinkMBps > 0 && mbPerSecond > counting.LinkMBps;
  verdict.Kind =
      counting.Wine || verdict.OverLink ? VerdictKind::Cache : KindOfShare(verdict.Ratio());
  return verdict;
}

const char* VerdictLabel(VerdictKind kind) {
  switch (kind) {
    case VerdictKind::Device:
      return VerdictTexts::Device;
    case VerdictKind::Mixed:
      return VerdictTexts::Mixed;
    case VerdictKind::Cache:
      return VerdictTexts::Cache;
    case VerdictKind::Unknown:
      return VerdictTexts::Unknown;
    case VerdictKind::None:
      break;
  }
  return "";
}

std::string VerdictReason(const DeviceCounting& counting, const PhaseVerdict& verdict,
                          double mbPerSecond) {
  if (counting.Wine) return VerdictTexts::Wine;
  const std::string devices = Joined(counting.Devices);
  if (verdict.OverLink) {
    return FormatText(VerdictTexts::OverLink, Fixed(mbPerSecond).c_str(), devices.c_str(),
                      Fixed(counting.LinkMBps).c_str());
  }
  const double ratio = verdict.Ratio();
  if (ratio < 0) return counting.Devices.empty() ? counting.Reason : VerdictTexts::CountersLost;
  const std::string share = FormatText(VerdictTexts::DeviceShare, devices.c_str(), Percent(ratio));
  const std::string cache = CacheName(counting);
  switch (verdict.Kind) {
    case VerdictKind::Device:
      return share + VerdictTexts::HighMeansArrived;
    case VerdictKind::Mixed:
      return share + FormatText(VerdictTexts::AtLeastCache, 100 - Percent(ratio), cache.c_str());
    default:
      return share + FormatText(VerdictTexts::TheRest, cache.c_str()) +
             VerdictTexts::LowProvesCache;
  }
}

void VerdictNotes(const RunRecord& record, std::vector<std::string>& notes) {
  for (const bool write : {true, false}) {
    const std::vector<Judged> phases = JudgedPhases(record, write);
    if (phases.empty()) continue;
    // All alike: one line, on the sums of every repetition.
    bool alike = true;
    PhaseVerdict sum;
    sum.DeviceBytes = 0;
    double fastest = 0;
    for (const Judged& judged : phases) {
      const PhaseVerdict& verdict = judged.Phase->Verdict;
      alike = alike && verdict.Kind == phases.front().Phase->Verdict.Kind &&
              verdict.OverLink == phases.front().Phase->Verdict.OverLink;
      sum.Bytes += verdict.Bytes;
      sum.DeviceBytes = verdict.DeviceBytes < 0 || sum.DeviceBytes < 0
                            ? -1
                            : sum.DeviceBytes + verdict.DeviceBytes;
      fastest = std::max(fastest, judged.Phase->MBPerSecond);
    }
    if (alike) {
      sum.Kind = phases.front().Phase->Verdict.Kind;
      sum.OverLink = phases.front().Phase->Verdict.OverLink;
      notes.push_back(Line(record.Counting, sum, fastest, write, 0));
      continue;
    }
    for (const Judged& judged : phases) {
      notes.push_back(Line(record.Counting, judged.Phase->Verdict, judged.Phase->MBPerSecond, write,
                           judged.Repetition));
    }
  }
}

std::string VerdictSummary(const RunRecord& record) {
  std::string summary;
  for (const bool write : {true, false}) {
    std::vector<std::string> labels;
    for (const Judged& judged : JudgedPhases(record, write)) {
      const std::string label = VerdictLabel(judged.Phase->Verdict.Kind);
      if (std::find(labels.begin(), labels.end(), label) == labels.end()) labels.push_back(label);
    }
    if (labels.empty()) continue;
    summary += (summary.empty() ? "" : " ／ ") + PhaseName(write, 0) + ": " + Joined(labels);
  }
  return summary;
}

std::vector<std::string> VerdictLines(const RunRecord& record) {
  std::vector<std::string> lines;
  for (const RepetitionRecord& repetition : record.Repetitions) {
    for (const bool write : {true, false}) {
      const std::optional<PhaseRecord>& phase = write ? repetition.Write : repetition.Read;
      if (!phase || phase->Verdict.Kind == VerdictKind::None) continue;
      lines.push_back(
          Line(record.Counting, phase->Verdict, phase->MBPerSecond, write, repetition.Number));
    }
  }
  return lines;
}

}  // namespace tarnwell
