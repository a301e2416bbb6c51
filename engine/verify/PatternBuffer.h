// The data every test file carries: a 1 KB block and a 1 MB block of
// pseudo-random words. Writes take their data from these blocks and reads
// land in them. Each block starts on a 4096-byte boundary so that direct I/O
// accepts it on devices with sectors up to 4 KB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/model/RunParameters.h"
#include "engine/verify/Generator.h"

namespace tarnwell {

class PatternBuffer {
public:
  static constexpr std::size_t Words = 262400;
  static constexpr std::size_t KilobyteWords = 256;
  static constexpr std::size_t Alignment = 4096;

  PatternBuffer();  // all words zero

  // Word w of the 262400, the 1 KB block first (words 0-255).
  std::uint32_t Word(std::size_t w) const;
  void SetWord(std::size_t w, std::uint32_t value);

  // Seeds the generator and fills the 1 KB block, then the 1 MB block, with
  // successive draws.
  void Fill(Generator& generator);
  // Fills the blocks as Fill does from a generator seeded with `seed`: the
  // pattern of another run, whose files name the seed.
  void FillFromSeed(std::uint32_t seed);
  // The seed the blocks were filled from.
  std::uint32_t Seed() const { return seed_; }

  std::uint32_t* KilobyteBlock() { return kilobyte_; }
  std::uint32_t* MegabyteBlock() { return megabyte_; }
  // The block for a transfer size (OneKilobyte or OneMegabyte bytes).
  void* BlockFor(std::int32_t blockSize) {
    return blockSize == OneKilobyte ? kilobyte_ : megabyte_;
  }

private:
  struct Free {
    void operator()(void* p) const;
  };
  std::unique_ptr<std::uint32_t, Free> storage_;
  std::uint32_t* kilobyte_;
  std::uint32_t* megabyte_;
  std::uint32_t seed_ = 0;
};

}  // namespace tarnwell
