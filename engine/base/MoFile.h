// One compiled message catalogue (the GNU .mo layout that msgfmt writes),
// read in place from bytes that outlive it: the build embeds each language's
// catalogue in the program as data, so no file is opened and no library is
// needed at run time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tarnwell {

class MoFile {
public:
  // The catalogue in `bytes`, or nothing when they are not a well-formed
  // .mo: a wrong magic number or revision, a table or string that reaches
  // past the end, a string without its closing NUL, text that is not UTF-8,
  // or originals out of order. Damaged data thus gives no translation at
  // all rather than a wrong one or a crash.
  static std::optional<MoFile> Read(std::span<const unsigned char> bytes);

  // The translation of `key` (msgctxt, U+0004, msgid where there is a
  // context), NUL-terminated inside the bytes; nullptr when the catalogue
  // has none. The empty key (the catalogue's own header) has none.
  const char* Find(std::string_view key) const;

  std::uint32_t Count() const { return count_; }

private:
  MoFile(std::span<const unsigned char> bytes, bool swapped, std::uint32_t count,
         std::uint32_t originals, std::uint32_t translations)
      : bytes_(bytes),
        swapped_(swapped),
        count_(count),
        originals_(originals),
        translations_(translations) {}

  std::uint32_t Word(std::size_t at) const;
  // The string described by entry `index` of the table at `table`.
  std::string_view Entry(std::uint32_t table, std::uint32_t index) const;
  bool EntryIsSound(std::uint32_t table, std::uint32_t index) const;
  bool TablesAreSound() const;

  std::span<const unsigned char> bytes_;
  bool swapped_;
  std::uint32_t count_;
  std::uint32_t originals_;
  std::uint32_t translations_;
};

}  // namespace tarnwell
