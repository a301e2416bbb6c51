// Natural, locale-aware comparison of folder names.
#include "ui/NaturalOrder.h"

#include <cstddef>
#include <stdexcept>
#include <vector>

namespace tarnwell::ui {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct Run {
  std::string text;
  bool digits;
};

std::vector<Run> SplitRuns(const std::string& name) {
  std::vector<Run> runs;
  for (const char c : name) {
    const bool digit = IsDigit(c);
    if (runs.empty() || runs.back().digits != digit) runs.push_back(Run{{}, digit});
    runs.back().text += c;
  }
  return runs;
}

// By value, however many digits: no integer type can overflow.
int CompareDigits(const std::string& a, const std::string& b) {
  const std::size_t zerosA =
      a.find_first_not_of('0') == std::string::npos ? a.size() : a.find_first_not_of('0');
  const std::size_t zerosB =
      b.find_first_not_of('0') == std::string::npos ? b.size() : b.find_first_not_of('0');
  const std::size_t lengthA = a.size() - zerosA;
  const std::size_t lengthB = b.size() - zerosB;
  if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
  const int digits = a.compare(zerosA, lengthA, b, zerosB, lengthB);
  return digits < 0 ? -1 : digits > 0 ? 1 : 0;
}

std::string FoldAsciiCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::locale UserLocale() {
  try {
    return std::locale("");
  } catch (const std::runtime_error&) {
    return std::locale::classic();
  }
}

}  // namespace

NaturalOrder::NaturalOrder() : locale_(UserLocale()) {}

NaturalOrder::NaturalOrder(const std::locale& locale) : locale_(locale) {}

int NaturalOrder::CompareText(const std::string& a, const std::string& b) const {
  const auto& collate = std::use_facet<std::collate<char>>(locale_);
  return collate.compare(a.data(), a.data() + a.size(), b.data(), b.data() + b.size());
}

int NaturalOrder::Compare(const std::string& a, const std::string& b) const {
  const std::vector<Run> runsA = SplitRuns(a);
  const std::vector<Run> runsB = SplitRuns(b);
  for (std::size_t i = 0; i < runsA.size() && i < runsB.size(); ++i) {
    const Run& x = runsA[i];
    const Run& y = runsB[i];
    // Numbers before words, so that each kind of run keeps one order.
    if (x.digits != y.digits) return x.digits ? -1 : 1;
    const int order = x.digits ? CompareDigits(x.text, y.text)
                               : CompareText(FoldAsciiCase(x.text), FoldAsciiCase(y.text));
    if (order != 0) return order;
  }
  if (runsA.size() != runsB.size()) return runsA.size() < runsB.size() ? -1 : 1;
  // Equal but for case or leading zeros: the locale, then the bytes decide.
  const int text = CompareText(a, b);
  if (text != 0) return text;
  const int bytes = a.compare(b);
  return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
}

}  // namespace tarnwell::ui
