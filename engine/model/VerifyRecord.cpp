// The sector classes' keys and counts, and the verification's JSON,
// written and read back.
#include "engine/model/VerifyRecord.h"

#include <cmath>

#include "engine/base/Json.h"

namespace tarnwell {
namespace {

constexpr SectorClass Classes[] = {SectorClass::Ok, SectorClass::Corrupted, SectorClass::Misplaced,
                                   SectorClass::Stale, SectorClass::Missing};

// A count as written: whole, not negative, within 2^62.
bool ReadCount(const JsonValue* value, std::int64_t& count) {
  if (value == nullptr || value->Type != JsonValue::Kind::Number) return false;
  const double x = value->Number;
  if (!(x >= 0 && x <= 4611686018427387904.0) || x != std::floor(x)) return false;
  count = static_cast<std::int64_t>(x);
  return true;
}

bool IsHex(const std::string& text) {
  if (text.size() > 2 * ShownBytes || text.size() % 2 != 0) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace

const char* SectorClassKey(SectorClass c) {
  switch (c) {
    case SectorClass::Ok:
      return "ok";
    case SectorClass::Corrupted:
      return "corrupted";
    case SectorClass::Misplaced:
      return "misplaced";
    case SectorClass::Stale:
      return "stale";
    case SectorClass::Missing:
      return "missing";
  }
  return "";
}

std::int64_t VerifyCounts::Total() const {
  std::int64_t total = 0;
  for (const std::int64_t n : Sectors) total += n;
  return total;
}

void VerifyResult::Add(const VerifyResult& other) {
  for (std::size_t i = 0; i < Counts.Sectors.size(); ++i) {
    Counts.Sectors[i] += other.Counts.Sectors[i];
  }
  if (!FirstBad) FirstBad = other.FirstBad;
}

std::string VerificationJson(const PhaseVerification& v) {
  std::string json = "{\"checkSeconds\": " + JsonNumber(v.CheckSeconds) + ", \"sectors\": {";
  for (const SectorClass c : Classes) {
    json += std::string(c == SectorClass::Ok ? "" : ", ") + "\"" + SectorClassKey(c) +
            "\": " + std::to_string(v.Result.Counts[c]);
  }
  json += "}, \"firstBad\": ";
  if (const std::optional<BadSector>& bad = v.Result.FirstBad) {
    json += "{\"class\": " + JsonString(SectorClassKey(bad->Class)) +
            ", \"file\": " + std::to_string(bad->File) +
            ", \"offset\": " + std::to_string(bad->Offset) +
            ", \"shownAt\": " + std::to_string(bad->ShownAt) +
            ", \"expected\": " + JsonString(bad->Expected) +
            ", \"found\": " + JsonString(bad->Found) + "}";
  } else {
    json += "null";
  }
  return json + "}";
}

std::optional<PhaseVerification> ReadVerification(const JsonValue& value) {
  if (value.Type != JsonValue::Kind::Object) return std::nullopt;
  PhaseVerification v;
  const JsonValue* seconds = value.Find("checkSeconds");
  if (seconds == nullptr || seconds->Type != JsonValue::Kind::Number ||
      !(seconds->Number >= 0 && seconds->Number <= 1e12)) {
    return std::nullopt;
  }
  v.CheckSeconds = seconds->Number;
  const JsonValue* sectors = value.Find("sectors");
  if (sectors == nullptr) return std::nullopt;
  for (const SectorClass c : Classes) {
    if (!ReadCount(sectors->Find(SectorClassKey(c)), v.Result.Counts[c])) return std::nullopt;
  }
  const JsonValue* bad = value.Find("firstBad");
  if (bad == nullptr || bad->Type == JsonValue::Kind::Null) return v;
  if (bad->Type != JsonValue::Kind::Object) return std::nullopt;
  BadSector sector;
  const std::string name = bad->TextAt("class");
  bool known = false;
  for (const SectorClass c : Classes) {
    if (name == SectorClassKey(c)) {
      sector.Class = c;
      known = c != SectorClass::Ok;
    }
  }
  std::int64_t file = 0;
  if (!known || !ReadCount(bad->Find("file"), file) || file > INT32_MAX ||
      !ReadCount(bad->Find("offset"), sector.Offset)) {
    return std::nullopt;
  }
  sector.File = static_cast<std::int32_t>(file);
  // Where the bytes shown begin in the sector; documents from before it was
  // kept show the sector's first bytes.
  if (const JsonValue* at = bad->Find("shownAt")) {
    std::int64_t shownAt = 0;
    if (!ReadCount(at, shownAt) || shownAt > SectorBytes - ShownBytes) return std::nullopt;
    sector.ShownAt = static_cast<std::int32_t>(shownAt);
  }
  sector.Expected = bad->TextAt("expected");
  sector.Found = bad->TextAt("found");
  if (!IsHex(sector.Expected) || !IsHex(sector.Found)) return std::nullopt;
  v.Result.FirstBad = sector;
  return v;
}

}  // namespace tarnwell
