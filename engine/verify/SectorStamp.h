// Data that differs at every address, and what came back from it. A verified
// run starts each 512-byte sector it writes with a stamp naming the run, the
// file and the sector's byte offset in that file; the rest of the sector is
// the pattern as always. Reading it back, each sector falls in one class:
// the expected data, the expected stamp over other data, another address's
// data, another run's data, or nothing at all. The stamp's layout is fixed
// little-endian, so files written on one machine check on any other. The
// classes and their counts are the record's (engine/model/VerifyRecord.h).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/model/VerifyRecord.h"

namespace tarnwell {

// The stamp at the start of every sector: a 4-byte marker, the file number,
// the byte offset (so that the first 16 bytes say where the data belongs),
// the run id, four zero bytes and a check word over the first 28 bytes.
inline constexpr std::int32_t StampBytes = 32;

// A fresh random 64-bit id for the stamps, never zero (the run document's
// UUID is another, wider id: engine/base/RunId.h).
std::uint64_t NewStampRunId();

// Stamps every sector of `block` (a block that holds the pattern) for the
// sectors at `offset`, `offset` + 512, ... of file number `file`. Only the
// first StampBytes of each sector change. A trailing part-sector shorter
// than a stamp is left alone.
void StampBlock(std::uint8_t* block, std::int32_t bytes, std::uint64_t runId, std::int32_t file,
                std::int64_t offset);

// Where the window shown of a bad sector begins: a few bytes before the
// first byte of `length` that differs, on a 4-byte boundary (the pattern's
// words), so that expected and found never look alike.
std::int32_t ShownWindow(const std::uint8_t* expected, const std::uint8_t* found,
                         std::int32_t length);

// Checks a block read from file `file` at byte `offset` against the stamp of
// run `runId` and `pattern`, the block as written (whose first StampBytes in
// each sector are not compared: they may hold a stamp already), and adds
// each sector to `result`. A trailing part-sector counts as one sector.
void CheckBlock(const std::uint8_t* read, const std::uint8_t* pattern, std::int32_t bytes,
                std::uint64_t runId, std::int32_t file, std::int64_t offset, VerifyResult& result);

// Counts the sectors of `bytes` at `offset` in `file` that never came back
// (a short file, a failed read) as Missing. `pattern` and `runId` give the
// expected bytes for the first bad sector; `pattern` may be null.
void CountMissing(std::int64_t bytes, const std::uint8_t* pattern, std::uint64_t runId,
                  std::int32_t file, std::int64_t offset, VerifyResult& result);

// A read-only verified run checks files an earlier run wrote: it adopts the
// run id in the first sector it reads, when that sector holds a valid stamp.
std::optional<std::uint64_t> FoundRunId(const std::uint8_t* sector, std::int32_t bytes);

// `bytes` as lower-case hex, two digits a byte, no separators.
std::string HexBytes(const std::uint8_t* bytes, std::int32_t count);

}  // namespace tarnwell
