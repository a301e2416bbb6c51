// Per-file timings of one phase, kept in fixed memory however many files
// there are: a logarithmic histogram of the files' latencies (for the
// percentiles) and the throughput over successive equal shares of the
// phase's files (the timeline that shows a drive slowing down).
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace tarnwell {

// The raw latency histogram of a phase, in PhaseRecorder's bucket geometry:
// bucket i holds the latencies from SmallestSeconds * 2^(i / BucketsPerOctave)
// up to the next bucket. Histograms of several phases add up bucket by bucket
// (MergeHistogram), and the percentiles of the sum are exactly those of one
// phase that had seen all their files.
struct LatencyHistogram {
  std::int64_t Zeroes = 0;  // files that took no measurable time
  double Min = 0;           // the fastest and slowest file, in seconds
  double Max = 0;
  std::vector<std::pair<std::int32_t, std::int64_t>> Counts;  // sparse, ascending index
};

// The smallest latency that at least `share` of the files did not exceed:
// the geometric middle of its bucket, never outside [Min, Max]; 0 when no
// file was counted. PhaseRecorder::Finish takes its percentiles from here.
double HistogramPercentile(const LatencyHistogram& histogram, double share);
// Adds `from` to `into`, keeping the counts sparse and ascending.
void MergeHistogram(LatencyHistogram& into, const LatencyHistogram& from);
// How many files a histogram counts.
std::int64_t HistogramFiles(const LatencyHistogram& histogram);

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
  // When each share ended, in seconds from the phase's start.
  std::vector<double> TimelineEndSeconds;
  LatencyHistogram Histogram;
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
  std::int32_t files_ = 0;
  std::int64_t fileBytes_ = 0;
  std::int32_t added_ = 0;
  std::int32_t slices_ = 0;
  std::int32_t slice_ = 0;  // the share the next file belongs to
  double sliceStart_ = 0;   // when the current share began
  double max_ = 0;
  double min_ = 0;
  std::int64_t zeroes_ = 0;  // files that took no measurable time
  std::array<std::int32_t, std::size_t{BucketsPerOctave} * Octaves> buckets_{};
  std::array<double, MaxSlices> sliceSeconds_{};
  std::array<std::int32_t, MaxSlices> sliceFiles_{};
};

}  // namespace tarnwell
