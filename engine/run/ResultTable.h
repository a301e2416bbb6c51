// The result text of a run: a header, one row per repetition written in a
// write half and a read half, then per phase the mean time, the population
// variance and the mean throughput. Every number rests on the recorded phase
// times: the elapsed time cut to whole milliseconds. Lines end in CR LF and
// fields are separated by TAB, exactly as the window's memo shows them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tarnwell {

class ResultTable {
public:
  static constexpr int MaxRepetitions = 10;

  struct PhaseSummary {
    double MeanSeconds = 0;
    double Variance = 0;
    double Mbps = 0;         // 10^6 bits per second, from the mean time
    double MBPerSecond = 0;  // 2^20 bytes per second, from the mean time
  };

  // The decimal separator of every number; "." unless the user's regional
  // settings say otherwise.
  explicit ResultTable(char decimalSeparator = '.') : separator_(decimalSeparator) {}

  // Empties the text and zeroes the recorded times: the start of a run.
  void Reset();

  // Records repetition i's write time (i from 1) and appends the write half
  // of row i; in repetition 1 the text first becomes the header line.
  void AppendWriteHalf(int i, double elapsedDays, std::int64_t bytes);
  // Records the read time and appends the read half, ending the row.
  void AppendReadHalf(int i, double elapsedDays, std::int64_t bytes);
  // The write block (unless read-only), then the read block.
  void AppendSummaries(int repetitions, bool readOnly, std::int64_t writeBytes,
                       std::int64_t readBytes);

  const std::string& Text() const { return text_; }
  // What the memo holds after showing the text: the text as one more line.
  std::string MemoText() const { return text_ + "\r\n"; }

  // Half rows appended so far in this run.
  int WriteHalves() const { return writeHalves_; }
  int ReadHalves() const { return readHalves_; }

  double WriteSeconds(int i) const { return writeSeconds_[static_cast<std::size_t>(i - 1)]; }
  double ReadSeconds(int i) const { return readSeconds_[static_cast<std::size_t>(i - 1)]; }

  static PhaseSummary Summarize(const double* seconds, int repetitions, std::int64_t bytes);
  // Throughputs of `bytes` moved in `seconds`; 0 when no time was recorded.
  static double Mbps(std::int64_t bytes, double seconds);
  static double MBPerSecond(std::int64_t bytes, double seconds);

  static const char* const Header;

private:
  void AppendSummary(const char* title, const double* seconds, int repetitions, std::int64_t bytes);
  void AppendFixed(double value, int decimals, int width);
  // Appends time, Mbps and MB/s; returns the recorded seconds.
  double AppendHalf(double elapsedDays, std::int64_t bytes);

  char separator_;
  std::string text_;
  int writeHalves_ = 0;
  int readHalves_ = 0;
  std::array<double, MaxRepetitions> writeSeconds_{};
  std::array<double, MaxRepetitions> readSeconds_{};
};

}  // namespace tarnwell
