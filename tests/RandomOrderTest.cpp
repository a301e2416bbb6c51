// The fast selection must draw exactly the names the simple pool would.
#include <gtest/gtest.h>

#include "engine/run/RandomOrder.h"

namespace tarnwell {
namespace {

std::vector<std::int32_t> SimplePool(Generator& generator, std::int32_t files, std::int32_t reads) {
  std::vector<std::int32_t> pool;
  for (std::int32_t j = 1; j <= files; ++j) pool.push_back(j);
  std::vector<std::int32_t> chosen;
  while (static_cast<std::int32_t>(chosen.size()) < reads) {
    const std::int32_t k = generator.RandomBetween(0, static_cast<std::int32_t>(pool.size()));
    chosen.push_back(pool[static_cast<std::size_t>(k)]);
    pool.erase(pool.begin() + k);
  }
  return chosen;
}

TEST(RandomOrder, MatchesTheSimplePoolDrawForDraw) {
  struct Case {
    std::int32_t files, reads;
    std::uint32_t seed;
  };
  for (const Case c : {Case{1, 1, 0}, Case{4, 4, 7}, Case{10, 3, 45296789}, Case{1000, 1000, 1},
                       Case{4097, 2048, 86399999}, Case{5000, 1, 123}}) {
    Generator fast, simple;
    fast.RandomSeed = simple.RandomSeed = c.seed;
    EXPECT_EQ(SelectRandomOrder(fast, c.files, c.reads), SimplePool(simple, c.files, c.reads))
        << c.files << " files, " << c.reads << " reads";
    EXPECT_EQ(fast.RandomSeed, simple.RandomSeed);  // the same number of draws
  }
}

TEST(RandomOrder, AMillionNamesArePermutedWithoutRepeats) {
  Generator generator;
  generator.RandomSeed = 2026;
  const std::vector<std::int32_t> order = SelectRandomOrder(generator, 1048576, 1048576);
  std::vector<bool> seen(1048577);
  for (std::int32_t number : order) {
    ASSERT_GE(number, 1);
    ASSERT_LE(number, 1048576);
    ASSERT_FALSE(seen[static_cast<std::size_t>(number)]);
    seen[static_cast<std::size_t>(number)] = true;
  }
  EXPECT_EQ(order.size(), 1048576u);
}

}  // namespace
}  // namespace tarnwell
