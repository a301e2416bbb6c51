// Reading a .mo: a header of 32-bit words (magic, revision, count, offsets of
// the originals' and translations' tables), then per table `count` pairs of
// length and offset. msgfmt sorts the originals by their bytes, so a lookup
// is a binary search; the hash table it also writes is not needed for that
// and is not read. Every offset is checked against the size once, on Read,
// so Find never looks outside the bytes.
#include "engine/base/MoFile.h"

#include "engine/base/Utf8.h"

namespace tarnwell {

namespace {
constexpr std::uint32_t Magic = 0x950412deU;
constexpr std::uint32_t SwappedMagic = 0xde120495U;
constexpr std::size_t HeaderBytes = 28;

std::uint32_t LittleEndianWord(std::span<const unsigned char> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint32_t Swap(std::uint32_t word) {
  return (word >> 24) | ((word >> 8) & 0xff00U) | ((word << 8) & 0xff0000U) | (word << 24);
}
}  // namespace

std::uint32_t MoFile::Word(std::size_t at) const {
  const std::uint32_t word = LittleEndianWord(bytes_, at);
  return swapped_ ? Swap(word) : word;
}

std::string_view MoFile::Entry(std::uint32_t table, std::uint32_t index) const {
  const std::size_t at = table + std::size_t{index} * 8;
  return {reinterpret_cast<const char*>(bytes_.data()) + Word(at + 4), Word(at)};
}

bool MoFile::EntryIsSound(std::uint32_t table, std::uint32_t index) const {
  const std::size_t at = table + std::size_t{index} * 8;
  const std::uint64_t length = Word(at);
  const std::uint64_t offset = Word(at + 4);
  if (offset + length >= bytes_.size() || bytes_[offset + length] != 0) return false;
  return IsUtf8(Entry(table, index));
}

bool MoFile::TablesAreSound() const {
  const auto fits = [this](std::uint64_t table) {
    return table % 4 == 0 && table + std::uint64_t{count_} * 8 <= bytes_.size();
  };
  if (!fits(originals_) || !fits(translations_)) return false;
  for (std::uint32_t i = 0; i < count_; ++i) {
    if (!EntryIsSound(originals_, i) || !EntryIsSound(translations_, i)) return false;
    if (i > 0 && !(Entry(originals_, i - 1) < Entry(originals_, i))) return false;
  }
  return true;
}

std::optional<MoFile> MoFile::Read(std::span<const unsigned char> bytes) {
  if (bytes.size() < HeaderBytes) return std::nullopt;
  const std::uint32_t magic = LittleEndianWord(bytes, 0);
  if (magic != Magic && magic != SwappedMagic) return std::nullopt;
  const bool swapped = magic == SwappedMagic;
  const auto word = [&](std::size_t at) {
    const std::uint32_t value = LittleEndianWord(bytes, at);
    return swapped ? Swap(value) : value;
  };
  // Only the major revision changes the layout; 0 and 1 read alike here.
  if ((word(4) >> 16) > 1) return std::nullopt;
  MoFile file(bytes, swapped, word(8), word(12), word(16));
  if (!file.TablesAreSound()) return std::nullopt;
  return file;
}

const char* MoFile::Find(std::string_view key) const {
  if (key.empty()) return nullptr;
  std::uint32_t low = 0;
  std::uint32_t high = count_;
  while (low < high) {
    const std::uint32_t middle = low + (high - low) / 2;
    const std::string_view original = Entry(originals_, middle);
    if (original == key) return Entry(translations_, middle).data();
    if (original < key) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return nullptr;
}

}  // namespace tarnwell
