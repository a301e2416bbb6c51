// The step detector on a write phase's timeline, and what it says.
#include "engine/judge/WriteCliff.h"

#include <cmath>
#include <cstdio>

#include "engine/base/FigureText.h"
#include "engine/model/RunRecord.h"

namespace tarnwell {
namespace {

constexpr int FewestShares = 10;
constexpr double LaterShare = 0.2;     // the later part covers at least this of the files
constexpr double FallenRatio = 0.7;    // and runs at most this of the earlier rate
constexpr double RoughestFlat = 0.25;  // residual spread within the parts, against the step

// Files in shares [0, share) when `files` are cut into `shares` equal shares
// the way the phase recorder cuts them: file f belongs to share f * shares / files.
std::int64_t FilesBefore(std::int64_t share, std::int64_t shares, std::int64_t files) {
  return (share * files + shares - 1) / shares;
}

struct Part {
  double Mean = 0;     // of the shares' MB/s
  double Squares = 0;  // sum of squared differences from the mean
  double Rate = 0;     // bytes over time: the MB/s the part really ran at
};

Part Measure(const std::vector<double>& values, std::size_t from, std::size_t to,
             std::int64_t files) {
  Part part;
  const auto shares = static_cast<std::int64_t>(values.size());
  double sum = 0, seconds = 0, weight = 0;
  for (std::size_t s = from; s < to; ++s) {
    sum += values[s];
    const auto share = static_cast<std::int64_t>(s);
    const auto inShare = static_cast<double>(FilesBefore(share + 1, shares, files) -
                                             FilesBefore(share, shares, files));
    weight += inShare;
    seconds += inShare / values[s];
  }
  part.Mean = sum / static_cast<double>(to - from);
  for (std::size_t s = from; s < to; ++s) part.Squares += std::pow(values[s] - part.Mean, 2);
  part.Rate = weight / seconds;
  return part;
}

}  // namespace

std::optional<WriteCliff> FindWriteCliff(const std::vector<double>& timeline, std::int64_t files,
                                         std::int64_t fileBytes) {
  const std::size_t n = timeline.size();
  if (n < FewestShares || files < static_cast<std::int64_t>(n) || fileBytes <= 0)
    return std::nullopt;
  // A share too quick for the clock has no rate; nothing sound can be said.
  for (const double v : timeline) {
    if (!(v > 0) || !std::isfinite(v)) return std::nullopt;
  }
  const auto shares = static_cast<std::int64_t>(n);
  // The split with the least spread within its two parts, among those whose
  // later part is long enough to believe; the earlier part needs two shares
  // so that one odd first share is no cache.
  std::size_t best = 0;
  double bestSquares = INFINITY;
  for (std::size_t k = 2; k < n; ++k) {
    const std::int64_t later = files - FilesBefore(static_cast<std::int64_t>(k), shares, files);
    if (static_cast<double>(later) < LaterShare * static_cast<double>(files)) break;
    const double squares =
        Measure(timeline, 0, k, files).Squares + Measure(timeline, k, n, files).Squares;
    if (squares < bestSquares) {
      bestSquares = squares;
      best = k;
    }
  }
  if (best == 0) return std::nullopt;
  const Part before = Measure(timeline, 0, best, files);
  const Part after = Measure(timeline, best, n, files);
  if (!(after.Rate <= FallenRatio * before.Rate)) return std::nullopt;
  // Two flat parts: what the split leaves unexplained is small beside the
  // step. A slow slide or a dip that recovers leaves much.
  const double spread = std::sqrt(bestSquares / static_cast<double>(n));
  if (!(spread <= RoughestFlat * (before.Mean - after.Mean))) return std::nullopt;
  // Still down at the end: the last tenth runs no faster than the fall allows.
  const std::size_t tail = std::max<std::size_t>(1, n / 10);
  if (!(Measure(timeline, n - tail, n, files).Rate <= FallenRatio * before.Rate))
    return std::nullopt;

  WriteCliff cliff;
  cliff.Share = static_cast<std::int32_t>(best);
  cliff.AtBytes = FilesBefore(static_cast<std::int64_t>(best), shares, files) * fileBytes;
  cliff.BeforeMBps = before.Rate;
  cliff.AfterMBps = after.Rate;
  return cliff;
}

std::string WriteCliffText(const WriteCliff& cliff) {
  return "書き込みは約 " + ApproximateSize(cliff.AtBytes) + " を書いたところで " +
         GroupedFigure(cliff.BeforeMBps) + " MB/秒 から " + GroupedFigure(cliff.AfterMBps) +
         " MB/秒 に落ちました（装置の書き込みキャッシュの大きさの目安）";
}

void WriteCliffNotes(const RunRecord& record, std::vector<std::string>& notes) {
  for (const RepetitionRecord& repetition : record.Repetitions) {
    if (!repetition.Write || !repetition.Write->Cliff) continue;
    const std::string which =
        record.Repetitions.size() > 1 ? std::to_string(repetition.Number) + " 回目: " : "";
    notes.push_back(which + WriteCliffText(*repetition.Write->Cliff));
  }
}

}  // namespace tarnwell
