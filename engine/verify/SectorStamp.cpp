// Stamping sectors and classifying what came back.
#include "engine/verify/SectorStamp.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace tarnwell {
namespace {

constexpr std::uint8_t Marker[4] = {'T', 'w', 'S', '1'};

void PutLe(std::uint8_t* to, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) to[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t GetLe(const std::uint8_t* from, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(from[i]) << (8 * i);
  return value;
}

constexpr std::uint64_t Mix(std::uint64_t x) {
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

// A hash of the stamp's fields (the first 28 bytes as little-endian words):
// a flipped bit in the file number or the offset then reads as damage, not
// as another address's data. A few multiplies, so that stamping and
// checking cost microseconds per MB.
std::uint32_t CheckOf(std::uint64_t head, std::uint64_t offset, std::uint64_t runId,
                      std::uint64_t reserved) {
  return static_cast<std::uint32_t>(Mix(Mix(Mix(runId ^ (reserved << 32)) ^ offset) ^ head));
}

std::uint32_t CheckWord(const std::uint8_t* stamp) {
  return CheckOf(GetLe(stamp, 8), GetLe(stamp + 8, 8), GetLe(stamp + 16, 8), GetLe(stamp + 24, 4));
}

void MakeStamp(std::uint8_t* to, std::uint64_t runId, std::int32_t file, std::int64_t offset) {
  const std::uint64_t head =
      GetLe(Marker, 4) | static_cast<std::uint64_t>(static_cast<std::uint32_t>(file)) << 32;
  PutLe(to, head, 8);
  PutLe(to + 8, static_cast<std::uint64_t>(offset), 8);
  PutLe(to + 16, runId, 8);
  PutLe(to + 24, 0, 4);
  PutLe(to + 28, CheckOf(head, static_cast<std::uint64_t>(offset), runId, 0), 4);
}

struct Stamp {
  std::uint64_t RunId;
  std::int32_t File;
  std::int64_t Offset;
};

std::optional<Stamp> ReadStamp(const std::uint8_t* sector, std::int32_t bytes) {
  if (bytes < StampBytes || std::memcmp(sector, Marker, sizeof Marker) != 0 ||
      GetLe(sector + 28, 4) != CheckWord(sector)) {
    return std::nullopt;
  }
  return Stamp{GetLe(sector + 16, 8), static_cast<std::int32_t>(GetLe(sector + 4, 4)),
               static_cast<std::int64_t>(GetLe(sector + 8, 8))};
}

// The sector expected at `offset`: its stamp, then the pattern. `length` is
// at most SectorBytes.
void Expected(std::uint8_t* to, const std::uint8_t* pattern, std::int32_t length,
              std::uint64_t runId, std::int32_t file, std::int64_t offset) {
  std::uint8_t stamp[StampBytes];
  MakeStamp(stamp, runId, file, offset);
  const std::int32_t stamped = std::min(length, StampBytes);
  std::memcpy(to, stamp, static_cast<std::size_t>(stamped));
  if (length > stamped) {
    if (pattern != nullptr) {
      std::memcpy(to + stamped, pattern + stamped, static_cast<std::size_t>(length - stamped));
    } else {
      std::memset(to + stamped, 0, static_cast<std::size_t>(length - stamped));
    }
  }
}

// The first bad sector: `length` bytes expected, and as many found unless
// nothing came back (`found` null).
void NoteFirstBad(VerifyResult& result, SectorClass c, std::int32_t file, std::int64_t offset,
                  const std::uint8_t* expected, const std::uint8_t* found, std::int32_t length) {
  const std::int32_t at = found != nullptr ? ShownWindow(expected, found, length) : 0;
  const std::int32_t shown = std::min(length - at, ShownBytes);
  result.FirstBad = BadSector{c,
                              file,
                              offset,
                              HexBytes(expected + at, shown),
                              found != nullptr ? HexBytes(found + at, shown) : std::string(),
                              at};
}

// A sector that is not what was expected: its own stamp says whose it is.
// Without a valid stamp, or with the expected one, the data is damaged.
SectorClass Classify(const std::uint8_t* read, std::int32_t length, std::uint64_t runId,
                     std::int32_t file, std::int64_t offset) {
  const std::optional<Stamp> stamp = ReadStamp(read, length);
  if (!stamp) return SectorClass::Corrupted;
  if (stamp->RunId != runId) return SectorClass::Stale;
  if (stamp->File != file || stamp->Offset != offset) return SectorClass::Misplaced;
  return SectorClass::Corrupted;
}

}  // namespace

std::uint64_t NewStampRunId() {
  std::random_device device;
  std::uint64_t id = 0;
  while (id == 0) id = (static_cast<std::uint64_t>(device()) << 32) ^ device();
  return id;
}

void StampBlock(std::uint8_t* block, std::int32_t bytes, std::uint64_t runId, std::int32_t file,
                std::int64_t offset) {
  for (std::int32_t at = 0; at + StampBytes <= bytes; at += SectorBytes) {
    MakeStamp(block + at, runId, file, offset + at);
  }
}

void CheckBlock(const std::uint8_t* read, const std::uint8_t* pattern, std::int32_t bytes,
                std::uint64_t runId, std::int32_t file, std::int64_t offset, VerifyResult& result) {
  std::uint8_t stamp[StampBytes];
  for (std::int32_t at = 0; at < bytes; at += SectorBytes) {
    const std::int32_t length = std::min(SectorBytes, bytes - at);
    const std::int32_t stamped = std::min(length, StampBytes);
    MakeStamp(stamp, runId, file, offset + at);
    if (std::memcmp(read + at, stamp, static_cast<std::size_t>(stamped)) == 0 &&
        std::memcmp(read + at + stamped, pattern + at + stamped,
                    static_cast<std::size_t>(length - stamped)) == 0) {
      result.Counts[SectorClass::Ok] += 1;
      continue;
    }
    const SectorClass c = Classify(read + at, length, runId, file, offset + at);
    result.Counts[c] += 1;
    if (!result.FirstBad) {
      std::uint8_t expected[SectorBytes];
      Expected(expected, pattern + at, length, runId, file, offset + at);
      NoteFirstBad(result, c, file, offset + at, expected, read + at, length);
    }
  }
}

void CountMissing(std::int64_t bytes, const std::uint8_t* pattern, std::uint64_t runId,
                  std::int32_t file, std::int64_t offset, VerifyResult& result) {
  if (bytes <= 0) return;
  const std::int64_t sectors = (bytes + SectorBytes - 1) / SectorBytes;
  if (!result.FirstBad) {
    std::uint8_t expected[ShownBytes];
    const std::int32_t shown = static_cast<std::int32_t>(std::min<std::int64_t>(bytes, ShownBytes));
    Expected(expected, pattern, shown, runId, file, offset);
    NoteFirstBad(result, SectorClass::Missing, file, offset, expected, nullptr, shown);
  }
  result.Counts[SectorClass::Missing] += sectors;
}

std::int32_t ShownWindow(const std::uint8_t* expected, const std::uint8_t* found,
                         std::int32_t length) {
  std::int32_t first = 0;
  while (first < length && expected[first] == found[first]) ++first;
  if (first == length) return 0;
  // Four bytes of context or more before the first difference, and a whole
  // window within the sector where it has one.
  const std::int32_t at = std::max(0, (first & ~3) - 4);
  return std::max(0, std::min(at, length - ShownBytes));
}

std::optional<std::uint64_t> FoundRunId(const std::uint8_t* sector, std::int32_t bytes) {
  const std::optional<Stamp> stamp = ReadStamp(sector, bytes);
  if (!stamp) return std::nullopt;
  return stamp->RunId;
}

std::string HexBytes(const std::uint8_t* bytes, std::int32_t count) {
  static constexpr char Digits[] = "0123456789abcdef";
  std::string text;
  text.reserve(static_cast<std::size_t>(count) * 2);
  for (std::int32_t i = 0; i < count; ++i) {
    text += Digits[bytes[i] >> 4];
    text += Digits[bytes[i] & 15];
  }
  return text;
}

}  // namespace tarnwell
