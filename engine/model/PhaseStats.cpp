// Latency histogram and throughput timeline of one phase.
#include "engine/model/PhaseStats.h"

#include <algorithm>
#include <cmath>

namespace tarnwell {
namespace {

constexpr double BytesPerMB = 1048576.0;

}  // namespace

double HistogramPercentile(const LatencyHistogram& histogram, double share) {
  const std::int64_t files = HistogramFiles(histogram);
  const auto rank = static_cast<std::int64_t>(std::ceil(share * static_cast<double>(files) - 1e-9));
  std::int64_t seen = histogram.Zeroes;
  if (rank <= seen) return 0;
  for (const auto& [bucket, count] : histogram.Counts) {
    seen += count;
    if (seen >= rank) {
      const double middle =
          PhaseRecorder::SmallestSeconds *
          std::exp2((static_cast<double>(bucket) + 0.5) / PhaseRecorder::BucketsPerOctave);
      return std::clamp(middle, histogram.Min, std::max(histogram.Min, histogram.Max));
    }
  }
  return histogram.Max;
}

void MergeHistogram(LatencyHistogram& into, const LatencyHistogram& from) {
  const std::int64_t before = HistogramFiles(into);
  const std::int64_t added = HistogramFiles(from);
  if (added == 0) return;
  into.Min = before == 0 ? from.Min : std::min(into.Min, from.Min);
  into.Max = before == 0 ? from.Max : std::max(into.Max, from.Max);
  into.Zeroes += from.Zeroes;
  std::vector<std::pair<std::int32_t, std::int64_t>> sum;
  sum.reserve(into.Counts.size() + from.Counts.size());
  auto a = into.Counts.begin();
  auto b = from.Counts.begin();
  while (a != into.Counts.end() || b != from.Counts.end()) {
    if (b == from.Counts.end() || (a != into.Counts.end() && a->first < b->first)) {
      sum.push_back(*a++);
    } else if (a == into.Counts.end() || b->first < a->first) {
      sum.push_back(*b++);
    } else {
      sum.emplace_back(a->first, a->second + b->second);
      ++a;
      ++b;
    }
  }
  into.Counts = std::move(sum);
}

std::int64_t HistogramFiles(const LatencyHistogram& histogram) {
  std::int64_t files = histogram.Zeroes;
  for (const auto& bucket : histogram.Counts) files += bucket.second;
  return files;
}

void PhaseRecorder::Start(std::int32_t files, std::int64_t fileBytes, double start) {
  *this = PhaseRecorder{};
  files_ = std::max<std::int32_t>(files, 0);
  fileBytes_ = fileBytes;
  slices_ = std::min<std::int32_t>(files_, MaxSlices);
  sliceStart_ = start;
}

void PhaseRecorder::Add(double opened, double closed) {
  if (added_ >= files_) return;
  const double seconds = std::max(closed - opened, 0.0);
  if (added_ == 0 || seconds < min_) min_ = seconds;
  max_ = std::max(max_, seconds);
  if (seconds < SmallestSeconds) {
    ++zeroes_;
  } else {
    const int bucket = static_cast<int>(std::log2(seconds / SmallestSeconds) * BucketsPerOctave);
    ++buckets_[static_cast<std::size_t>(std::clamp(bucket, 0, int(buckets_.size()) - 1))];
  }
  // File k belongs to share k * slices / files; a share ends with its last file.
  ++sliceFiles_[static_cast<std::size_t>(slice_)];
  ++added_;
  const std::int32_t next =
      static_cast<std::int32_t>(static_cast<std::int64_t>(added_) * slices_ / files_);
  if (next != slice_ || added_ == files_) {
    sliceSeconds_[static_cast<std::size_t>(slice_)] = closed - sliceStart_;
    sliceStart_ = closed;
    slice_ = std::min(next, slices_ - 1);
  }
}

PhaseStats PhaseRecorder::Finish() const {
  PhaseStats stats;
  stats.Files = added_;
  if (added_ == 0) return stats;
  stats.Histogram.Zeroes = zeroes_;
  stats.Histogram.Min = min_;
  stats.Histogram.Max = max_;
  for (std::size_t b = 0; b < buckets_.size(); ++b) {
    if (buckets_[b] > 0)
      stats.Histogram.Counts.emplace_back(static_cast<std::int32_t>(b), buckets_[b]);
  }
  stats.P50 = HistogramPercentile(stats.Histogram, 0.50);
  stats.P90 = HistogramPercentile(stats.Histogram, 0.90);
  stats.P99 = HistogramPercentile(stats.Histogram, 0.99);
  stats.P999 = HistogramPercentile(stats.Histogram, 0.999);
  stats.Max = max_;
  double ended = 0;
  const std::int32_t filled = added_ == files_ ? slices_ : slice_;
  for (std::int32_t s = 0; s < filled; ++s) {
    const double seconds = sliceSeconds_[static_cast<std::size_t>(s)];
    const double bytes = static_cast<double>(sliceFiles_[static_cast<std::size_t>(s)]) *
                         static_cast<double>(fileBytes_);
    stats.Timeline.push_back(seconds > 0 ? bytes / BytesPerMB / seconds : 0.0);
    ended += seconds;
    stats.TimelineEndSeconds.push_back(ended);
  }
  return stats;
}

}  // namespace tarnwell
