// The sector classes' counts and their sums.
#include "engine/model/VerifyRecord.h"

namespace tarnwell {
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

}  // namespace tarnwell
