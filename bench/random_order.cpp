// Times the random read order for the largest run (1,048,576 files, all of
// them read) and checks it against the obvious quadratic selection: a vector
// of the names still in the pool, the drawn index erased each time. Both must
// give the same sequence for the same generator state; the quadratic one is
// only run on a smaller pool, where it still finishes quickly.
//
// Usage: bench-random-order [seed]   (default: seeded from the clock)
#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/run/RandomOrder.h"
#include "engine/verify/Generator.h"

namespace {

using tarnwell::Generator;
using Order = std::vector<std::int32_t>;

constexpr std::int32_t LargestPool = 1048576;
// Pools small enough for the quadratic selection, in increasing size.
constexpr std::array<std::int32_t, 2> ReferencePools = {20000, 100000};
constexpr int Runs = 5;

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

long PeakResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // kilobytes on Linux
}

// The selection written the simple way: O(n) per draw.
Order QuadraticOrder(Generator& generator, std::int32_t fileCount, std::int32_t readCount) {
  Order pool(static_cast<std::size_t>(fileCount));
  for (std::int32_t i = 0; i < fileCount; ++i) pool[static_cast<std::size_t>(i)] = i + 1;
  Order chosen;
  chosen.reserve(static_cast<std::size_t>(readCount));
  while (static_cast<std::int32_t>(chosen.size()) < readCount) {
    const std::int32_t k = generator.RandomBetween(0, static_cast<std::int32_t>(pool.size()));
    chosen.push_back(pool[static_cast<std::size_t>(k)]);
    pool.erase(pool.begin() + k);
  }
  return chosen;
}

bool IsPermutation(Order order) {
  std::sort(order.begin(), order.end());
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (order[i] != static_cast<std::int32_t>(i) + 1) return false;
  }
  return true;
}

// The previous result is freed before each run, so the peak memory is that
// of one selection.
template <typename Select>
double BestSeconds(int runs, Order& result, Select select) {
  double best = 0;
  for (int r = 0; r < runs; ++r) {
    result = Order{};
    const auto start = std::chrono::steady_clock::now();
    result = select();
    const double took = Seconds(std::chrono::steady_clock::now() - start);
    if (r == 0 || took < best) best = took;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  Generator seeded;
  if (argc > 1) {
    seeded.RandomSeed = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
  } else {
    seeded.SeedRandom();
  }
  std::printf("seed %u\n", seeded.RandomSeed);
  const long startKilobytes = PeakResidentKilobytes();

  // Same generator state in, same sequence out, for a full and a partial read.
  int failures = 0;
  for (const std::int32_t pool : ReferencePools) {
    for (const std::int32_t readCount : {pool, pool / 100}) {
      Generator a = seeded;
      Generator b = seeded;
      const Order fast = tarnwell::SelectRandomOrder(a, pool, readCount);
      const Order slow = QuadraticOrder(b, pool, readCount);
      const bool same = fast == slow && a.RandomSeed == b.RandomSeed;
      std::printf("%d of %d: Fenwick and quadratic sequences %s\n", readCount, pool,
                  same ? "identical" : "DIFFER");
      if (!same) ++failures;
    }
  }

  Order order;
  double slowest = 0;  // the quadratic time on the largest reference pool
  for (const std::int32_t pool : ReferencePools) {
    const double fast = BestSeconds(Runs, order, [&] {
      Generator g = seeded;
      return tarnwell::SelectRandomOrder(g, pool, pool);
    });
    slowest = BestSeconds(Runs, order, [&] {
      Generator g = seeded;
      return QuadraticOrder(g, pool, pool);
    });
    std::printf("n = %d: Fenwick %.6f s, quadratic %.6f s, quadratic/Fenwick %.1f (best of %d)\n",
                pool, fast, slowest, slowest / fast, Runs);
  }

  const double fastLarge = BestSeconds(Runs, order, [&] {
    Generator g = seeded;
    return tarnwell::SelectRandomOrder(g, LargestPool, LargestPool);
  });
  const long peakKilobytes = PeakResidentKilobytes();
  if (!IsPermutation(order)) {
    std::printf("n = %d: the order is not a permutation of 1..n\n", LargestPool);
    ++failures;
  }
  const double scale = static_cast<double>(LargestPool) / ReferencePools.back();
  std::printf("n = %d: Fenwick %.6f s (best of %d); quadratic estimated at %.0f s (n^2 scaling)\n",
              LargestPool, fastLarge, Runs, slowest * scale * scale);
  std::printf("peak resident memory: %ld KB (%ld KB at start)\n", peakKilobytes, startKilobytes);
  return failures == 0 ? 0 : 1;
}
