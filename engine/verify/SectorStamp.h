// Data that differs at every address, and what came back from it. A verified
// run starts each 512-byte sector it writes with a stamp naming the run, the
// file and the sector's byte offset in that file; the rest of the sector is
// the pattern as always. Reading it back, each sector falls in one class:
// the expected data, the expected stamp over other data, another address's
// data, another run's data, or nothing at all. The stamp's layout is fixed
// little-endian, so files written on one machine check on any other.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tarnwell {

inline constexpr std::int32_t SectorBytes = 512;
// The stamp at the start of every sector: a 4-byte marker, the file number,
// the byte offset (so that the first 16 bytes say where the data belongs),
// the run id, four zero bytes and a check word over the first 28 bytes.
inline constexpr std::int32_t StampBytes = 32;
// How much of a bad sector the results keep, expected and found: a window
// from a little before the first byte that differs.
inline constexpr std::int32_t ShownBytes = 16;

// A fresh random 64-bit id for the stamps, never zero (the run document's
// UUID is another, wider id: engine/RunId.h).
std::uint64_t NewStampRunId();

// Stamps every sector of `block` (a block that holds the pattern) for the
// sectors at `offset`, `offset` + 512, ... of file number `file`. Only the
// first StampBytes of each sector change. A trailing part-sector shorter
// than a stamp is left alone.
void StampBlock(std::uint8_t* block, std::int32_t bytes, std::uint64_t runId, std::int32_t file,
                std::int64_t offset);

enum class SectorClass { Ok, Corrupted, Misplaced, Stale, Missing };
inline constexpr int SectorClassCount = 5;

// The class's name in machine-read output (JSON, history): "ok", "corrupted",
// "misplaced", "stale", "missing".
const char* SectorClassKey(SectorClass c);

struct VerifyCounts {
  std::array<std::int64_t, SectorClassCount> Sectors{};

  std::int64_t& operator[](SectorClass c) { return Sectors[static_cast<std::size_t>(c)]; }
  std::int64_t operator[](SectorClass c) const { return Sectors[static_cast<std::size_t>(c)]; }
  std::int64_t Total() const;
  std::int64_t Bad() const { return Total() - (*this)[SectorClass::Ok]; }
};

struct BadSector {
  SectorClass Class = SectorClass::Ok;
  std::int32_t File = 0;
  std::int64_t Offset = 0;  // bytes from the file's start, a multiple of 512
  std::string Expected;     // 16 bytes expected from ShownAt on, lower-case hex
  std::string Found;        // the same 16 bytes found (empty: nothing came back)
  // Where in the sector the shown bytes begin: at the first byte that
  // differs or a few before it (0 when nothing came back).
  std::int32_t ShownAt = 0;
};

// Where the window shown of a bad sector begins: a few bytes before the
// first byte of `length` that differs, on a 4-byte boundary (the pattern's
// words), so that expected and found never look alike.
std::int32_t ShownWindow(const std::uint8_t* expected, const std::uint8_t* found,
                         std::int32_t length);

// What one phase (or several) found: the count per class and the first bad
// sector in the order they were checked.
struct VerifyResult {
  VerifyCounts Counts;
  std::optional<BadSector> FirstBad;

  bool Clean() const { return Counts.Bad() == 0; }
  // Adds `other`'s counts; its first bad sector counts if this has none yet.
  void Add(const VerifyResult& other);
};

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
