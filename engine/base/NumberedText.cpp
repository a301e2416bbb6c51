#include "engine/base/NumberedText.h"

#include <cstddef>

namespace tarnwell {

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number of the placeholder at `at` and its length, or 0 for none.
std::size_t PlaceholderAt(std::string_view text, std::size_t at, std::size_t& length) {
  if (text[at] != '{' || at + 2 >= text.size() || text[at + 1] < '1' || text[at + 1] > '9') {
    return 0;
  }
  std::size_t number = static_cast<std::size_t>(text[at + 1] - '0');
  std::size_t end = at + 2;
  if (IsDigit(text[end])) {
    number = number * 10 + static_cast<std::size_t>(text[end] - '0');
    ++end;
  }
  if (end >= text.size() || text[end] != '}') return 0;
  length = end + 1 - at;
  return number;
}
}  // namespace

std::string NumberedText(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string result;
  result.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t length = 0;
    const std::size_t number = PlaceholderAt(text, at, length);
    if (number == 0 || number > values.size()) {
      result.push_back(text[at]);
      ++at;
      continue;
    }
    result.append(values.begin()[number - 1]);
    at += length;
  }
  return result;
}

}  // namespace tarnwell
