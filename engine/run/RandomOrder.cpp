// Drawing the random read order through a Fenwick tree over the pool of names.
#include "engine/run/RandomOrder.h"

namespace tarnwell {
namespace {

// Counts of names still in the pool, over positions 1..size.
class PoolTree {
public:
  explicit PoolTree(std::int32_t size) : tree_(static_cast<std::size_t>(size) + 1), size_(size) {
    // Every position present: node i covers (i - lowbit(i), i].
    for (std::int32_t i = 1; i <= size_; ++i) tree_[static_cast<std::size_t>(i)] = i & -i;
    while (highBit_ * 2 <= size_) highBit_ *= 2;
  }

  // Removes and returns the position of the (k+1)-th remaining name.
  std::int32_t TakeAt(std::int32_t k) {
    std::int32_t position = 0;
    std::int32_t remaining = k;
    for (std::int32_t step = highBit_; step > 0; step /= 2) {
      const std::int32_t next = position + step;
      if (next <= size_ && tree_[static_cast<std::size_t>(next)] <= remaining) {
        position = next;
        remaining -= tree_[static_cast<std::size_t>(next)];
      }
    }
    const std::int32_t found = position + 1;
    for (std::int32_t i = found; i <= size_; i += i & -i) --tree_[static_cast<std::size_t>(i)];
    return found;
  }

private:
  std::vector<std::int32_t> tree_;
  std::int32_t size_;
  std::int32_t highBit_ = 1;
};

}  // namespace

std::vector<std::int32_t> SelectRandomOrder(Generator& generator, std::int32_t fileCount,
                                            std::int32_t readCount) {
  std::vector<std::int32_t> chosen;
  if (fileCount <= 0 || readCount <= 0) return chosen;
  if (readCount > fileCount) readCount = fileCount;
  chosen.reserve(static_cast<std::size_t>(readCount));
  PoolTree pool(fileCount);
  for (std::int32_t remaining = fileCount; static_cast<std::int32_t>(chosen.size()) < readCount;
       --remaining) {
    const std::int32_t k = generator.RandomBetween(0, remaining);
    chosen.push_back(pool.TakeAt(k));
  }
  return chosen;
}

}  // namespace tarnwell
