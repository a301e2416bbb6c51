// What checking the data read back found in one phase, as the run record
// keeps it: the sectors per class, the first bad one, and the time spent
// checking that was left out of the phase's time. The history line, the
// runner's JSON and the report all carry it in the same shape.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tarnwell {

inline constexpr std::int32_t SectorBytes = 512;
// How much of a bad sector the results keep, expected and found: a window
// from a little before the first byte that differs.
inline constexpr std::int32_t ShownBytes = 16;

enum class SectorClass { Ok, Corrupted, Misplaced, Stale, Missing };
inline constexpr int SectorClassCount = 5;

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

// What one phase (or several) found: the count per class and the first bad
// sector in the order they were checked.
struct VerifyResult {
  VerifyCounts Counts;
  std::optional<BadSector> FirstBad;

  bool Clean() const { return Counts.Bad() == 0; }
  // Adds `other`'s counts; its first bad sector counts if this has none yet.
  void Add(const VerifyResult& other);
};

struct PhaseVerification {
  VerifyResult Result;
  // Seconds spent checking blocks; not part of the phase's or files' times.
  double CheckSeconds = 0;
};

}  // namespace tarnwell
