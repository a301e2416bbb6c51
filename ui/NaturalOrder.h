// The order in which folder names are listed, as Linux file managers list
// them: runs of digits compare by their value ("2" before "10"), the text
// between them by the user's locale, and case only decides between names
// that are otherwise equal.
#pragma once

#include <locale>
#include <string>

namespace tarnwell::ui {

class NaturalOrder {
public:
  // The locale of the user's environment, or the classic one when the
  // environment names a locale that is not installed.
  NaturalOrder();
  explicit NaturalOrder(const std::locale& locale);

  // Negative, zero or positive as `a` sorts before, with or after `b`.
  // Zero only for equal names, so the order is strict and total.
  int Compare(const std::string& a, const std::string& b) const;
  bool operator()(const std::string& a, const std::string& b) const { return Compare(a, b) < 0; }

private:
  int CompareText(const std::string& a, const std::string& b) const;

  std::locale locale_;
};

}  // namespace tarnwell::ui
