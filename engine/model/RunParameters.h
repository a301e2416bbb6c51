// The run parameters derived from the user's choices: the item lists of the
// drop-down boxes, the tables behind them and the derivations from item
// indexes. An index outside a table (only a hand-edited settings file makes
// one) never reads outside it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwell {

inline constexpr int ItemCount = 8;
inline constexpr std::array<std::int64_t, ItemCount> FileSizeTable = {
    1024, 10240, 102400, 1048576, 5242880, 10485760, 52428800, 104857600};
inline constexpr std::array<std::int64_t, ItemCount> TotalSizeTable = {
    1048576, 10485760, 20971520, 52428800, 104857600, 209715200, 524288000, 1073741824};

inline constexpr std::array<std::string_view, ItemCount> FileSizeItems = {
    "1KB", "10KB", "100KB", "1MB", "5MB", "10MB", "50MB", "100MB"};
inline constexpr std::array<std::string_view, ItemCount> TotalSizeItems = {
    "1MB", "10MB", "20MB", "50MB", "100MB", "200MB", "500MB", "1GB"};
inline constexpr std::array<std::string_view, 11> WaitItems = {"0", "1", "2", "3", "4", "5",
                                                               "6", "7", "8", "9", "10"};
inline constexpr std::array<std::string_view, 10> ReadPercentageItems = {
    "0.1", "0.2", "0.5", "1", "2", "5", "10", "20", "50", "100"};
// The values of the items above, so that no text is ever parsed back under a
// regional decimal separator.
inline constexpr std::array<double, 10> ReadPercentageTable = {0.1, 0.2, 0.5, 1,  2,
                                                               5,   10,  20,  50, 100};
inline constexpr int ReadAllIndex = 9;  // "100": every file, whatever ReadPercent holds
inline constexpr std::array<std::string_view, 4> RepeatItems = {"1", "3", "5", "10"};
inline constexpr std::array<std::int32_t, 4> RepeatTable = {1, 3, 5, 10};
inline constexpr std::array<std::string_view, 4> PriorityItems = {"Idle", "Normal", "High",
                                                                  "Realtime"};

// The two block sizes a transfer moves, and their names (index 1: 1 MB).
inline constexpr std::int32_t OneMegabyte = 1048576;
inline constexpr std::int32_t OneKilobyte = 1024;
inline constexpr std::array<std::string_view, 2> BlockItems = {"1KB", "1MB"};

// The four values the main window keeps for the run; all start at zero.
struct RunParameters {
  std::int32_t FileSize = 0;
  std::int32_t FileCount = 0;
  std::int32_t WaitMSec = 0;
  double ReadPercent = 0;
};

// Sets FileSize from the file-size index and, when the total holds at least
// one file, FileCount, returning true. With no valid size selection nothing
// changes and the result is false.
bool ComputeFileCount(RunParameters& parameters, int fileSizeIndex, int totalSizeIndex);

// The most files one run writes: a total given in bytes may take up to this
// many files of the chosen size (the list's largest total of 1 KB files).
inline constexpr std::int64_t MaxFileCount = 1048576;

// Space a run leaves free on a file system with `freeBytes` free of
// `capacityBytes` (-1 unknown), for the file system's own records and for
// everything else on it: 0.5 % of the free space or 16 MB, whichever is
// larger, but never more than a sixteenth of the file system, so a small
// card or stick keeps most of its room for the run.
inline constexpr std::int64_t FreeSpaceMarginFloor = std::int64_t{16} << 20;
std::int64_t FreeSpaceMargin(std::int64_t freeBytes, std::int64_t capacityBytes);

// As ComputeFileCount, for a total given in bytes: false also when the total
// would take more than MaxFileCount files, the count then left as it was.
bool ComputeFileCountOfTotal(RunParameters& parameters, int fileSizeIndex, std::int64_t totalBytes);

// The units a total in bytes is written and read in, largest first.
struct SizeUnit {
  std::string_view Name;
  std::int64_t Bytes;
};
inline constexpr std::array<SizeUnit, 4> TotalUnits = {{{"TB", std::int64_t{1} << 40},
                                                        {"GB", std::int64_t{1} << 30},
                                                        {"MB", std::int64_t{1} << 20},
                                                        {"KB", std::int64_t{1} << 10}}};

// A total in bytes as the record writes it: in the largest of TB, GB, MB and
// KB that holds it whole ("4GB", "1536MB"), else in bytes ("1000B").
std::string TotalText(std::int64_t totalBytes);

// Pause between phases for a wait index; 0 without a valid selection.
std::int32_t WaitMSecFor(int waitIndex);

// Share read back for a read-percentage index; nothing without a selection,
// so that the caller keeps the value it had.
std::optional<double> ReadPercentFor(int readPercentageIndex);

// Repetitions for a repeat index; nothing without a selection.
std::optional<std::int32_t> RepetitionsFor(int repeatIndex);

// Files read per read phase; below 1 when the share yields no file.
std::int32_t ReadCountFor(std::int32_t fileCount, double readPercent, int readPercentageIndex);

// Whether a file may be moved in 1 MB blocks: only a file of 1 MB or more,
// so that a non-empty file is never moved as zero blocks. The window offers
// the choice only then, and the run falls back to 1 KB blocks otherwise.
bool OneMegabyteBlocksFit(std::int32_t fileSize);

// Bytes moved per block: 1 MB blocks only when asked for and they fit.
std::int32_t BlockSizeFor(bool oneMegabyteBlocks, std::int32_t fileSize);

// Looks `text` up in `items`; -1 when absent.
template <std::size_t N>
int IndexOfItem(const std::array<std::string_view, N>& items, std::string_view text) {
  for (std::size_t i = 0; i < N; ++i) {
    if (items[i] == text) return static_cast<int>(i);
  }
  return -1;
}

// The test files' names, one per file number, in the run's folder.
// Room for any test-file name and its terminator.
inline constexpr int TestFileNameCapacity = 24;

// "%.8d.bin" of `number` into `out`; returns the length written.
int FormatTestFileName(std::int32_t number, char* out);
std::string TestFileName(std::int32_t number);

}  // namespace tarnwell
