// What checking the data read back found in one phase, as the run record
// keeps it: the sectors per class, the first bad one, and the time spent
// checking that was left out of the phase's time. The history line, the
// runner's JSON and the report all carry it in the same shape.
#pragma once

#include <optional>
#include <string>

#include "engine/verify/SectorStamp.h"

namespace tarnwell {

struct PhaseVerification {
  VerifyResult Result;
  // Seconds spent checking blocks; not part of the phase's or files' times.
  double CheckSeconds = 0;
};

struct JsonValue;

// {"checkSeconds": ..., "sectors": {"ok": n, ...}, "firstBad": null | {"class", "file",
// "offset", "shownAt", "expected", "found"}}
std::string VerificationJson(const PhaseVerification& verification);
// The verification a JSON object holds; nothing when it is malformed.
std::optional<PhaseVerification> ReadVerification(const JsonValue& value);

}  // namespace tarnwell
