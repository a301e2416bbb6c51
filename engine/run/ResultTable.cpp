// Writing the result text: throughput figures, the rows and the summaries.
#include "engine/run/ResultTable.h"

#include <charconv>

#include "engine/run/UnitMSec.h"

namespace tarnwell {

const char* const ResultTable::Header =
    "回数\t時間\t書き(Mbps）\t書き（MB/秒）\t時間\t読み（Mbps）\t読み（MB/秒）\r\n";

void ResultTable::Reset() {
  text_.clear();
  writeHalves_ = 0;
  readHalves_ = 0;
  writeSeconds_.fill(0);
  readSeconds_.fill(0);
}

double ResultTable::Mbps(std::int64_t bytes, double seconds) {
  if (seconds == 0) return 0;
  return static_cast<double>(static_cast<long double>(bytes) /
                             (static_cast<long double>(seconds) * 125000.0L));
}

double ResultTable::MBPerSecond(std::int64_t bytes, double seconds) {
  if (seconds == 0) return 0;
  return static_cast<double>(static_cast<long double>(bytes) /
                             (static_cast<long double>(seconds) * 1048576.0L));
}

void ResultTable::AppendFixed(double value, int decimals, int width) {
  // std::to_chars ignores the C locale, so the separator is ours to choose.
  char digits[64];
  const auto result =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  const int length = static_cast<int>(result.ptr - digits);
  if (length < width) text_.append(static_cast<std::size_t>(width - length), ' ');
  for (const char* c = digits; c != result.ptr; ++c) text_.push_back(*c == '.' ? separator_ : *c);
}

double ResultTable::AppendHalf(double elapsedDays, std::int64_t bytes) {
  // The time text always has a "." of its own; only the throughputs follow
  // the regional separator.
  const double seconds = ElapsedMilliseconds(elapsedDays) / 1000.0;
  text_ += FormatElapsed(elapsedDays);
  text_ += '\t';
  AppendFixed(Mbps(bytes, seconds), 3, 9);
  text_ += '\t';
  AppendFixed(MBPerSecond(bytes, seconds), 3, 9);
  return seconds;
}

void ResultTable::AppendWriteHalf(int i, double elapsedDays, std::int64_t bytes) {
  if (i == 1) text_ = Header;
  text_ += std::to_string(i);
  text_ += '\t';
  writeSeconds_[static_cast<std::size_t>(i - 1)] = AppendHalf(elapsedDays, bytes);
  text_ += '\t';
  writeHalves_ = i;
}

void ResultTable::AppendReadHalf(int i, double elapsedDays, std::int64_t bytes) {
  readSeconds_[static_cast<std::size_t>(i - 1)] = AppendHalf(elapsedDays, bytes);
  text_ += "\r\n";
  readHalves_ = i;
}

ResultTable::PhaseSummary ResultTable::Summarize(const double* seconds, int repetitions,
                                                 std::int64_t bytes) {
  PhaseSummary summary;
  if (repetitions <= 0) return summary;
  double sum = 0;
  for (int i = 0; i < repetitions; ++i) sum += seconds[i];
  const double mean = sum / repetitions;
  double squares = 0;
  for (int i = 0; i < repetitions; ++i) {
    const double deviation = seconds[i] - mean;
    squares += deviation * deviation;
  }
  summary.MeanSeconds = mean;
  summary.Variance = squares / repetitions;  // population variance
  summary.Mbps = Mbps(bytes, mean);
  summary.MBPerSecond = MBPerSecond(bytes, mean);
  return summary;
}

void ResultTable::AppendSummary(const char* title, const double* seconds, int repetitions,
                                std::int64_t bytes) {
  const PhaseSummary summary = Summarize(seconds, repetitions, bytes);
  text_ += "\r\n";
  text_ += title;
  text_ += "\r\n平均所要時間（秒）：";
  AppendFixed(summary.MeanSeconds, 3, 0);
  text_ += "\r\n分散：";
  AppendFixed(summary.Variance, 9, 0);
  text_ += "\r\n平均転送速度（Mbps）：";
  AppendFixed(summary.Mbps, 3, 0);
  text_ += "\r\n平均転送速度（MB/秒）：";
  AppendFixed(summary.MBPerSecond, 3, 0);
  text_ += "\r\n";
}

void ResultTable::AppendSummaries(int repetitions, bool readOnly, std::int64_t writeBytes,
                                  std::int64_t readBytes) {
  if (!readOnly) AppendSummary("●書き込み", writeSeconds_.data(), repetitions, writeBytes);
  AppendSummary("●読み込み", readSeconds_.data(), repetitions, readBytes);
}

}  // namespace tarnwell
