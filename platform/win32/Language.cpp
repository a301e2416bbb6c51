// The user's display language as an ISO 639 code with its ISO 3166
// territory ("ja_JP"), from the locale data of its language identifier.
#include "platform/Language.h"

#include <windows.h>

#include <iterator>
#include <string>

namespace tarnwell::platform {

namespace {
// An ISO code of `locale`; the codes are ASCII, so narrowing keeps them.
std::string LocaleCode(LCID locale, LCTYPE kind) {
  wchar_t buffer[16] = {};
  const int length = ::GetLocaleInfoW(locale, kind, buffer, static_cast<int>(std::size(buffer)));
  std::string code;
  for (int i = 0; i + 1 < length && buffer[i] != L'\0'; ++i) {
    if (buffer[i] > 0x7f) return {};
    code.push_back(static_cast<char>(buffer[i]));
  }
  return code;
}
}  // namespace

std::vector<std::string> PreferredLanguages() {
  const LCID locale = MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT);
  std::string code = LocaleCode(locale, LOCALE_SISO639LANGNAME);
  if (code.empty()) return {};
  if (const std::string territory = LocaleCode(locale, LOCALE_SISO3166CTRYNAME);
      !territory.empty()) {
    code += "_" + territory;
  }
  return {code};
}

}  // namespace tarnwell::platform
