// The derivations from the drop-down indexes: file count, wait, read share,
// repetitions, read count and block size.
#include "engine/model/RunParameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace tarnwell {

bool ComputeFileCount(RunParameters& parameters, int fileSizeIndex, int totalSizeIndex) {
  if (fileSizeIndex < 0 || fileSizeIndex >= ItemCount) return false;
  parameters.FileSize = static_cast<std::int32_t>(FileSizeTable[fileSizeIndex]);
  if (totalSizeIndex < 0 || totalSizeIndex >= ItemCount) return false;
  const auto total = static_cast<std::int32_t>(TotalSizeTable[totalSizeIndex]);
  if (total < parameters.FileSize) return false;
  parameters.FileCount = total / parameters.FileSize;
  return true;
}

bool ComputeFileCountOfTotal(RunParameters& parameters, int fileSizeIndex,
                             std::int64_t totalBytes) {
  if (fileSizeIndex < 0 || fileSizeIndex >= ItemCount) return false;
  parameters.FileSize = static_cast<std::int32_t>(FileSizeTable[fileSizeIndex]);
  // 64-bit throughout: a total past 2 GB must not wrap on a 32-bit build.
  const std::int64_t count = totalBytes / parameters.FileSize;
  if (count < 1 || count > MaxFileCount) return false;
  parameters.FileCount = static_cast<std::int32_t>(count);
  return true;
}

std::int64_t FreeSpaceMargin(std::int64_t freeBytes, std::int64_t capacityBytes) {
  const std::int64_t floor =
      capacityBytes > 0 ? std::min(FreeSpaceMarginFloor, capacityBytes / 16) : FreeSpaceMarginFloor;
  return std::max(floor, std::max<std::int64_t>(freeBytes, 0) / 200);
}

std::string TotalText(std::int64_t totalBytes) {
  for (const auto& [name, unit] : TotalUnits) {
    if (totalBytes > 0 && totalBytes % unit == 0) {
      return std::to_string(totalBytes / unit) + std::string(name);
    }
  }
  return std::to_string(totalBytes) + "B";
}

std::int32_t WaitMSecFor(int waitIndex) {
  if (waitIndex < 0 || waitIndex >= static_cast<int>(WaitItems.size())) return 0;
  return waitIndex * 1000;
}

std::optional<double> ReadPercentFor(int readPercentageIndex) {
  if (readPercentageIndex < 0 ||
      readPercentageIndex >= static_cast<int>(ReadPercentageTable.size())) {
    return std::nullopt;
  }
  return ReadPercentageTable[readPercentageIndex];
}

std::optional<std::int32_t> RepetitionsFor(int repeatIndex) {
  if (repeatIndex < 0 || repeatIndex >= static_cast<int>(RepeatTable.size())) return std::nullopt;
  return RepeatTable[repeatIndex];
}

std::int32_t ReadCountFor(std::int32_t fileCount, double readPercent, int readPercentageIndex) {
  if (readPercentageIndex == ReadAllIndex) return fileCount;
  // Extended precision throughout, truncated toward zero.
  const long double share = static_cast<long double>(readPercent) / 100.0L;
  const long double count = std::trunc(static_cast<long double>(fileCount) * share);
  if (!(count >= 0)) return 0;
  if (count > fileCount) return fileCount;
  return static_cast<std::int32_t>(count);
}

bool OneMegabyteBlocksFit(std::int32_t fileSize) { return fileSize >= OneMegabyte; }

std::int32_t BlockSizeFor(bool oneMegabyteBlocks, std::int32_t fileSize) {
  return oneMegabyteBlocks && OneMegabyteBlocksFit(fileSize) ? OneMegabyte : OneKilobyte;
}

int FormatTestFileName(std::int32_t number, char* out) {
  return std::snprintf(out, TestFileNameCapacity, "%.8d.bin", static_cast<int>(number));
}

std::string TestFileName(std::int32_t number) {
  char name[TestFileNameCapacity];
  return std::string(name, static_cast<std::size_t>(FormatTestFileName(number, name)));
}

}  // namespace tarnwell
