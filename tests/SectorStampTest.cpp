// Every sector of a stamped block must check back as written, and each way a
// drive can return the wrong data must land in its own class, at its offset.
#include <gtest/gtest.h>

#include <vector>

#include "engine/verify/SectorStamp.h"

namespace tarnwell {
namespace {

constexpr std::uint64_t TheRun = 0x0123456789abcdefull;

std::vector<std::uint8_t> Pattern(std::int32_t bytes) {
  std::vector<std::uint8_t> block(static_cast<std::size_t>(bytes));
  std::uint32_t x = 2463534242u;
  for (std::uint8_t& b : block) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<std::uint8_t>(x);
  }
  return block;
}

VerifyResult Check(const std::vector<std::uint8_t>& read, const std::vector<std::uint8_t>& pattern,
                   std::int32_t file, std::int64_t offset, std::uint64_t run = TheRun) {
  VerifyResult result;
  CheckBlock(read.data(), pattern.data(), static_cast<std::int32_t>(read.size()), run, file, offset,
             result);
  return result;
}

TEST(SectorStamp, TheLayoutIsFixedAndEverySectorDiffers) {
  std::vector<std::uint8_t> block = Pattern(1024);
  const std::vector<std::uint8_t> pattern = block;
  StampBlock(block.data(), 1024, TheRun, 3, 4096);
  EXPECT_EQ(HexBytes(block.data(), 32),
            "54775331"                            // marker
            "03000000"                            // file
            "0010000000000000"                    // offset
            "efcdab8967452301"                    // run id
            "00000000" +                          // reserved
                HexBytes(block.data() + 28, 4));  // check word
  EXPECT_EQ(HexBytes(block.data() + 512 + 8, 8), "0012000000000000");
  // Past the stamp the pattern is untouched.
  EXPECT_TRUE(std::equal(block.begin() + 32, block.begin() + 512, pattern.begin() + 32));
  EXPECT_NE(std::vector<std::uint8_t>(block.begin(), block.begin() + 32),
            std::vector<std::uint8_t>(block.begin() + 512, block.begin() + 544));
  EXPECT_EQ(FoundRunId(block.data(), 512), TheRun);
  EXPECT_EQ(FoundRunId(pattern.data(), 512), std::nullopt);
}

TEST(SectorStamp, EachClassAtTheFirstAndLastSectorOfSmallAndLargeBlocks) {
  for (const std::int32_t bytes : {1024, 1048576}) {
    const std::int32_t last = bytes - SectorBytes;
    const std::int64_t at = 7 * static_cast<std::int64_t>(bytes);
    std::vector<std::uint8_t> written = Pattern(bytes);
    StampBlock(written.data(), bytes, TheRun, 5, at);

    VerifyResult clean = Check(written, Pattern(bytes), 5, at);
    EXPECT_TRUE(clean.Clean());
    EXPECT_EQ(clean.Counts[SectorClass::Ok], bytes / SectorBytes);

    // A flipped bit in the last sector's data: corrupted, at that sector.
    std::vector<std::uint8_t> read = written;
    read[static_cast<std::size_t>(last + 300)] ^= 0x10;
    VerifyResult r = Check(read, written, 5, at);
    EXPECT_EQ(r.Counts[SectorClass::Corrupted], 1) << bytes;
    ASSERT_TRUE(r.FirstBad);
    EXPECT_EQ(r.FirstBad->Class, SectorClass::Corrupted);
    EXPECT_EQ(r.FirstBad->File, 5);
    EXPECT_EQ(r.FirstBad->Offset, at + last);
    // The stamp survived: the bytes shown are those around the flipped one.
    EXPECT_EQ(r.FirstBad->ShownAt, 296);
    EXPECT_EQ(r.FirstBad->Expected, HexBytes(written.data() + last + 296, 16));
    EXPECT_EQ(r.FirstBad->Found, HexBytes(read.data() + last + 296, 16));

    // A flipped bit in the first sector's offset field is damage too, not
    // another address.
    read = written;
    read[9] ^= 0x01;
    r = Check(read, written, 5, at);
    EXPECT_EQ(r.Counts[SectorClass::Corrupted], 1);
    EXPECT_EQ(r.FirstBad->Offset, at);

    // The block of another offset and of another file: misplaced, every sector.
    std::vector<std::uint8_t> other = Pattern(bytes);
    StampBlock(other.data(), bytes, TheRun, 5, 0);
    EXPECT_EQ(Check(other, written, 5, at).Counts[SectorClass::Misplaced], bytes / SectorBytes);
    other = Pattern(bytes);
    StampBlock(other.data(), bytes, TheRun, 6, at);
    EXPECT_EQ(Check(other, written, 5, at).Counts[SectorClass::Misplaced], bytes / SectorBytes);

    // Another run's last sector: stale, shown where the run ids differ
    // (its marker, file and offset are the same).
    read = written;
    StampBlock(read.data() + last, SectorBytes, TheRun + 1, 5, at + last);
    r = Check(read, written, 5, at);
    EXPECT_EQ(r.FirstBad->Class, SectorClass::Stale);
    EXPECT_EQ(r.FirstBad->ShownAt, 12);
    EXPECT_EQ(r.FirstBad->Found.substr(8, 2), "f0");  // the other id's lowest byte
    EXPECT_EQ(r.FirstBad->Expected.substr(8, 2), "ef");
    // A zeroed first sector besides: corrupted, and first in reading order.
    std::fill(read.begin(), read.begin() + SectorBytes, 0);
    r = Check(read, written, 5, at);
    EXPECT_EQ(r.Counts[SectorClass::Stale], 1);
    EXPECT_EQ(r.Counts[SectorClass::Corrupted], 1);
    EXPECT_EQ(r.Counts[SectorClass::Ok], bytes / SectorBytes - 2);
    EXPECT_EQ(r.FirstBad->Offset, at);  // the first in reading order
    EXPECT_EQ(r.FirstBad->Found, std::string(32, '0'));
  }
}

TEST(SectorStamp, WhatNeverCameBackIsMissingAndResultsAdd) {
  std::vector<std::uint8_t> written = Pattern(1024);
  StampBlock(written.data(), 1024, TheRun, 2, 0);
  VerifyResult first;
  CountMissing(1000, written.data(), TheRun, 2, 1048576, first);  // a part-sector counts
  EXPECT_EQ(first.Counts[SectorClass::Missing], 2);
  EXPECT_EQ(first.FirstBad->Offset, 1048576);
  EXPECT_EQ(first.FirstBad->Found, "");
  EXPECT_EQ(first.FirstBad->Expected, "54775331020000000000100000000000");

  VerifyResult total = Check(written, written, 2, 0);
  total.Add(first);
  total.Add(first);
  EXPECT_EQ(total.Counts.Total(), 6);
  EXPECT_EQ(total.Counts.Bad(), 4);
  EXPECT_EQ(total.FirstBad->Class, SectorClass::Missing);
}

}  // namespace
}  // namespace tarnwell
