// The random read order: draws `readCount` names from the pool of test files
// 1 to fileCount, each draw an index into the names still in the pool (in
// ascending order), the chosen name leaving the pool. A Fenwick tree over the
// pool finds the k-th remaining name in O(log n), so the whole selection is
// O(n log n) even for a million files.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/verify/Generator.h"

namespace tarnwell {

// Test-file numbers in reading order.
std::vector<std::int32_t> SelectRandomOrder(Generator& generator, std::int32_t fileCount,
                                            std::int32_t readCount);

}  // namespace tarnwell
