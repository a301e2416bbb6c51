// A message text with its placeholders filled in: the texts are whole
// sentences with printf-style placeholders, so that a sentence is never
// glued from fragments and its word order stays the translator's.
#pragma once

#include <cstdio>
#include <string>
#include <type_traits>

namespace tarnwell {

namespace detail {
inline const char* FormatArgument(const std::string& text) { return text.c_str(); }
template <class Value>
requires std::is_arithmetic_v<Value> || std::is_pointer_v<Value> Value FormatArgument(Value value) {
  return value;
}
}  // namespace detail

// `format` with each placeholder replaced by its value (numbers, C strings,
// or std::string for %s).
template <class... Values>
std::string FormatText(const char* format, const Values&... values) {
  const int length = std::snprintf(nullptr, 0, format, detail::FormatArgument(values)...);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, format, detail::FormatArgument(values)...);
  return text;
}

}  // namespace tarnwell
