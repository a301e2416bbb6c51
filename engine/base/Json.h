// JSON for the program's own documents: string literals that stay UTF-8
// whatever bytes they carry, numbers, and a small reader.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwell {

// `text` as a JSON string literal, quotes included. A byte that is not part
// of well-formed UTF-8 becomes \udcXX (U+DC00 + the byte, Python's
// "surrogateescape"), so the document stays UTF-8 and the bytes come back.
std::string JsonString(const std::string& text);
// The shortest text that reads back as `value`, always with a decimal point
// ("500.0", "1.0e-05") so that a floating-point field keeps its type
// whatever its value; "null" for NaN and infinities, which JSON lacks.
std::string JsonNumber(double value);

struct JsonMember;

struct JsonValue {
  enum class Kind { Null, Bool, Number, String, Array, Object };
  Kind Type = Kind::Null;
  bool Boolean = false;
  double Number = 0;
  std::string Text;  // \udcXX escapes turned back into their bytes
  std::vector<JsonValue> Items;
  // In the document's order. A vector of the member type declared below,
  // not of std::pair: a pair of a still incomplete type is undefined, and
  // clang's library rejects it.
  std::vector<JsonMember> Members;

  const JsonValue* Find(std::string_view key) const;
  double NumberAt(std::string_view key, double otherwise = 0) const;
  std::string TextAt(std::string_view key) const;
  bool BoolAt(std::string_view key) const;
};

// One member of an object: its name and its value.
struct JsonMember {
  std::string Name;
  JsonValue Value;
};

// The value `text` holds, or nothing when it is not one well-formed value:
// numbers follow JSON's grammar (no NaN, no infinity, nothing beyond a
// double), a lone surrogate other than a \udcXX byte is malformed, and so is
// an object that names a member twice.
std::optional<JsonValue> ParseJson(std::string_view text);
// As ParseJson, building of a top-level object only the members named in
// `keep`: the rest is checked just as strictly and costs no memory.
std::optional<JsonValue> ParseJson(std::string_view text,
                                   const std::vector<std::string_view>& keep);

}  // namespace tarnwell
