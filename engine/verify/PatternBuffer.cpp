// The aligned pattern blocks and their filling from the generator.
#include "engine/verify/PatternBuffer.h"

#include <cstring>
#include <new>

namespace tarnwell {
namespace {

// The 1 KB block gets a whole aligned slot of its own before the 1 MB block.
constexpr std::size_t KilobyteSlotBytes = PatternBuffer::Alignment;
constexpr std::size_t MegabyteBytes = (PatternBuffer::Words - PatternBuffer::KilobyteWords) * 4;
constexpr std::size_t StorageBytes = KilobyteSlotBytes + MegabyteBytes;

}  // namespace

// Aligned operator new rather than aligned_alloc: every compiler we target
// (including the Windows one) has it.
void PatternBuffer::Free::operator()(void* p) const {
  ::operator delete (p, std::align_val_t{Alignment});
}

PatternBuffer::PatternBuffer() {
  void* memory = ::operator new (StorageBytes, std::align_val_t{Alignment});
  std::memset(memory, 0, StorageBytes);
  storage_.reset(static_cast<std::uint32_t*>(memory));
  kilobyte_ = storage_.get();
  megabyte_ = storage_.get() + KilobyteSlotBytes / 4;
}

std::uint32_t PatternBuffer::Word(std::size_t w) const {
  return w < KilobyteWords ? kilobyte_[w] : megabyte_[w - KilobyteWords];
}

void PatternBuffer::SetWord(std::size_t w, std::uint32_t value) {
  if (w < KilobyteWords) {
    kilobyte_[w] = value;
  } else {
    megabyte_[w - KilobyteWords] = value;
  }
}

void PatternBuffer::Fill(Generator& generator) {
  generator.SeedRandom();
  seed_ = generator.RandomSeed;
  for (std::size_t w = 0; w < Words; ++w) {
    SetWord(w, static_cast<std::uint32_t>(generator.RandomBetween(INT32_MIN, INT32_MAX)));
  }
}

void PatternBuffer::FillFromSeed(std::uint32_t seed) {
  Generator generator;
  generator.RandomSeed = seed_ = seed;
  for (std::size_t w = 0; w < Words; ++w) {
    SetWord(w, static_cast<std::uint32_t>(generator.RandomBetween(INT32_MIN, INT32_MAX)));
  }
}

}  // namespace tarnwell
