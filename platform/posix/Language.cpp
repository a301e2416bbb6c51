// The user's languages from the environment, in the order gettext reads it.
// Unlike gettext, LANGUAGE counts even under the C locale: the program's
// texts do not depend on the locale's character set.
#include "platform/Language.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace tarnwell::platform {

namespace {
std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view{} : std::string_view{value};
}

// "de_AT.UTF-8@euro" → "de_AT@euro"; "C", "POSIX" and "C.UTF-8" → "".
std::string LanguageOfLocale(std::string_view locale) {
  std::string code(locale.substr(0, locale.find_first_of(".@")));
  if (const auto at = locale.find('@'); at != std::string_view::npos) {
    code.append(locale.substr(at));
  }
  if (code.empty() || code == "C" || code == "POSIX" || code.starts_with("C@") ||
      code.front() == '@') {
    return {};
  }
  return code;
}

void Add(std::vector<std::string>& languages, std::string code) {
  if (!code.empty() && std::find(languages.begin(), languages.end(), code) == languages.end()) {
    languages.push_back(std::move(code));
  }
}
}  // namespace

std::vector<std::string> PreferredLanguages() {
  std::vector<std::string> languages;
  std::string_view list = Variable("LANGUAGE");
  while (!list.empty()) {
    const auto colon = list.find(':');
    if (const std::string_view entry = list.substr(0, colon); !entry.empty()) {
      Add(languages, LanguageOfLocale(entry));
    }
    list = colon == std::string_view::npos ? std::string_view{} : list.substr(colon + 1);
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (const std::string_view locale = Variable(name); !locale.empty()) {
      Add(languages, LanguageOfLocale(locale));
      break;
    }
  }
  return languages;
}

}  // namespace tarnwell::platform
