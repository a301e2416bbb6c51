// Per-file timings of one phase, kept in fixed memory however many files
// there are: a logarithmic histogram of the files' latencies (for the
// percentiles) and the throughput over successive equal shares of the
// phase's files (the timeline that shows a drive slowing down).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tarnwell {

struct PhaseStats {
  std::int32_t Files = 0;
  // Latency of one file, from the start of its open to the end of its close
  // (the flush included for writes), in seconds.
  double P50 = 0;
  double P90 = 0;
  double P99 = 0;
  double P999 = 0;
  double Max = 0;
  // MB/s (2^20 bytes) over each successive share of the files, in order.
  std::vector<double> Timeline;
};

class PhaseRecorder {
public:
  static constexpr int MaxSlices = 100;
  // Latencies are kept to within 2^(1/16) (4.4 %) from 100 ns to 4.7 days.
  static constexpr int BucketsPerOctave = 16;
  static constexpr int Octaves = 42;
  static constexpr double SmallestSeconds = 1e-7;

  // Before the phase: `files` files of `fileBytes` bytes each; `start` is
  // the phase's start stamp in seconds.
  void Start(std::int32_t files, std::int64_t fileBytes, double start);
  // One file, in order, its open and close stamps in seconds. Cheap and
  // allocation-free: it runs between the files of a timed phase.
  void Add(double opened, double closed);
  PhaseStats Finish() const;

private:
  double Percentile(double share) const;

  std::int32_t files_ = 0;
  std::int64_t fileBytes_ = 0;
  std::int32_t added_ = 0;
  std::int32_t slices_ = 0;
  std::int32_t slice_ = 0;  // the share the next file belongs to
  double sliceStart_ = 0;   // when the current share began
  double max_ = 0;
  double min_ = 0;
  std::int64_t zeroes_ = 0;  // files that took no measurable time
  std::array<std::int32_t, BucketsPerOctave * Octaves> buckets_{};
  std::array<double, MaxSlices> sliceSeconds_{};
  std::array<std::int32_t, MaxSlices> sliceFiles_{};
};

}  // namespace tarnwell
