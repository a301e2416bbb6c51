// Latency histogram and throughput timeline of one phase.
#include "engine/PhaseStats.h"

#include <algorithm>
#include <cmath>

namespace tarnwell {
namespace {

constexpr double BytesPerMB = 1048576.0;

}  // namespace

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

double PhaseRecorder::Percentile(double share) const {
  // The smallest latency that at least `share` of the files did not exceed.
  const auto rank = static_cast<std::int64_t>(std::ceil(share * added_ - 1e-9));
  std::int64_t seen = zeroes_;
  if (rank <= seen) return 0;
  for (std::size_t b = 0; b < buckets_.size(); ++b) {
    seen += buckets_[b];
    if (seen >= rank) {
      // The middle of the bucket (geometrically), never outside what was seen.
      const double middle =
          SmallestSeconds * std::exp2((static_cast<double>(b) + 0.5) / BucketsPerOctave);
      return std::clamp(middle, min_, max_);
    }
  }
  return max_;
}

PhaseStats PhaseRecorder::Finish() const {
  PhaseStats stats;
  stats.Files = added_;
  if (added_ == 0) return stats;
  stats.P50 = Percentile(0.50);
  stats.P90 = Percentile(0.90);
  stats.P99 = Percentile(0.99);
  stats.P999 = Percentile(0.999);
  stats.Max = max_;
  const std::int32_t filled = added_ == files_ ? slices_ : slice_;
  for (std::int32_t s = 0; s < filled; ++s) {
    const double seconds = sliceSeconds_[static_cast<std::size_t>(s)];
    const double bytes = static_cast<double>(sliceFiles_[static_cast<std::size_t>(s)]) *
                         static_cast<double>(fileBytes_);
    stats.Timeline.push_back(seconds > 0 ? bytes / BytesPerMB / seconds : 0.0);
  }
  return stats;
}

}  // namespace tarnwell
