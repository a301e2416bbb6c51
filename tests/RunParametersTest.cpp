// Derivations from the drop-down indexes, including the indexes a
// hand-edited settings file can produce.
#include <gtest/gtest.h>

#include "engine/model/RunParameters.h"

namespace tarnwell {
namespace {

TEST(ComputeFileCount, DividesTheTotalIntoWholeFiles) {
  struct Case {
    int size, total;
    std::int32_t files;
  };
  for (const Case c : {Case{3, 0, 1}, Case{0, 7, 1048576}, Case{1, 7, 104857}, Case{2, 0, 10},
                       Case{4, 7, 204}, Case{7, 7, 10}}) {
    RunParameters parameters;
    EXPECT_TRUE(ComputeFileCount(parameters, c.size, c.total));
    EXPECT_EQ(parameters.FileCount, c.files)
        << FileSizeItems[c.size] << " in " << TotalSizeItems[c.total];
    EXPECT_EQ(parameters.FileSize, FileSizeTable[c.size]);
  }
}

TEST(ComputeFileCount, FileLargerThanTotalKeepsTheOldCountButTakesTheNewSize) {
  RunParameters parameters;
  parameters.FileCount = 77;
  EXPECT_FALSE(ComputeFileCount(parameters, 4, 0));  // 5MB into 1MB
  EXPECT_EQ(parameters.FileSize, 5242880);
  EXPECT_EQ(parameters.FileCount, 77);
}

TEST(ComputeFileCount, IndexesOutsideTheTablesAreRefused) {
  RunParameters parameters;
  parameters.FileSize = 1;
  parameters.FileCount = 2;
  EXPECT_FALSE(ComputeFileCount(parameters, -1, 0));
  EXPECT_FALSE(ComputeFileCount(parameters, 8, 0));
  EXPECT_EQ(parameters.FileSize, 1);
  EXPECT_FALSE(ComputeFileCount(parameters, 0, -1));
  EXPECT_FALSE(ComputeFileCount(parameters, 0, 1000));
  EXPECT_EQ(parameters.FileCount, 2);
}

TEST(ComputeFileCount, TotalInBytesPastTheListWithoutWrapping) {
  RunParameters parameters;
  EXPECT_TRUE(ComputeFileCountOfTotal(parameters, 3, std::int64_t{4} << 30));  // 4GB of 1MB
  EXPECT_EQ(parameters.FileCount, 4096);
  EXPECT_TRUE(ComputeFileCountOfTotal(parameters, 7, std::int64_t{10} << 40));  // 10TB of 100MB
  EXPECT_EQ(parameters.FileCount, 104857);
  EXPECT_TRUE(ComputeFileCountOfTotal(parameters, 0, std::int64_t{1} << 30));  // the limit itself
  EXPECT_EQ(parameters.FileCount, 1048576);
  EXPECT_FALSE(ComputeFileCountOfTotal(parameters, 0, (std::int64_t{1} << 30) + 1024));
  EXPECT_FALSE(ComputeFileCountOfTotal(parameters, 4, 1048576));  // 5MB into 1MB
  EXPECT_EQ(parameters.FileCount, 1048576);
  EXPECT_EQ(TotalText(std::int64_t{4} << 30), "4GB");
  EXPECT_EQ(TotalText(1536 * 1048576LL), "1536MB");
  EXPECT_EQ(TotalText(std::int64_t{2} << 40), "2TB");
  EXPECT_EQ(TotalText(1073741824), "1GB");  // as the list spells it
  EXPECT_EQ(TotalText(1000), "1000B");
}

TEST(RunParameters, WaitPercentRepetitionsFromIndexes) {
  EXPECT_EQ(WaitMSecFor(0), 0);
  EXPECT_EQ(WaitMSecFor(10), 10000);
  EXPECT_EQ(WaitMSecFor(11), 0);
  EXPECT_EQ(WaitMSecFor(-1), 0);
  EXPECT_EQ(ReadPercentFor(2), 0.5);
  EXPECT_EQ(ReadPercentFor(0), 0.1);
  EXPECT_EQ(ReadPercentFor(9), 100.0);
  EXPECT_FALSE(ReadPercentFor(-1).has_value());
  EXPECT_FALSE(ReadPercentFor(10).has_value());
  EXPECT_EQ(RepetitionsFor(3), 10);
  EXPECT_FALSE(RepetitionsFor(4).has_value());
  EXPECT_EQ(IndexOfItem(ReadPercentageItems, "0.5"), 2);
  EXPECT_EQ(IndexOfItem(FileSizeItems, "2MB"), -1);
}

TEST(RunParameters, ReadCountTruncatesAndHonoursReadAll) {
  EXPECT_EQ(ReadCountFor(5, 50, 8), 2);
  EXPECT_EQ(ReadCountFor(1048576, 0.1, 0), 1048);
  EXPECT_EQ(ReadCountFor(1, 50, 8), 0);
  EXPECT_EQ(ReadCountFor(10, 10, 6), 1);
  // "100" reads every file whatever the percentage holds.
  EXPECT_EQ(ReadCountFor(7, 0.1, ReadAllIndex), 7);
  // Every table entry against every reachable file count stays within 0..count
  // and matches the share computed exactly in decimal.
  for (std::size_t s = 0; s < FileSizeTable.size(); ++s) {
    for (std::size_t t = 0; t < TotalSizeTable.size(); ++t) {
      if (TotalSizeTable[t] < FileSizeTable[s]) continue;
      const auto files = static_cast<std::int64_t>(TotalSizeTable[t] / FileSizeTable[s]);
      for (int p = 0; p < 9; ++p) {
        // Percent x 10 is a whole number for every item.
        const std::int64_t tenths = static_cast<std::int64_t>(ReadPercentageTable[p] * 10 + 0.5);
        EXPECT_EQ(ReadCountFor(static_cast<std::int32_t>(files), ReadPercentageTable[p], p),
                  files * tenths / 1000)
            << files << " files at " << ReadPercentageItems[p];
      }
    }
  }
}

TEST(RunParameters, OneMegabyteBlocksOnlyForFilesThatHoldOne) {
  EXPECT_EQ(BlockSizeFor(true, 1048576), 1048576);
  EXPECT_EQ(BlockSizeFor(true, 102400), 1024);  // never zero blocks
  EXPECT_EQ(BlockSizeFor(false, 104857600), 1024);
}

}  // namespace
}  // namespace tarnwell
