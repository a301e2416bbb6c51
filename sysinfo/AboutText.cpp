// Formatting the about text without consulting the C locale, so the
// separator is the one the caller read from the user's regional settings.
#include "sysinfo/AboutText.h"

#include <charconv>

namespace tarnwell {

#if defined(TARNWELL_VERSION_MAJOR) && defined(TARNWELL_VERSION_MINOR)
static_assert(ProgramVersion - (TARNWELL_VERSION_MAJOR + TARNWELL_VERSION_MINOR / 100.0) < 0.001 &&
                  (TARNWELL_VERSION_MAJOR + TARNWELL_VERSION_MINOR / 100.0) - ProgramVersion <
                      0.001,
              "ProgramVersion must match the project version in CMakeLists.txt");
#endif

std::string FormatVersionNumber(double value, char decimalSeparator) {
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  if (error != std::errc()) return {};
  std::string text(buffer, end);
  if (const std::size_t point = text.find('.'); point != std::string::npos) {
    text[point] = decimalSeparator;
  }
  return text;
}

std::string AboutText(const std::string& versionText, const std::string& user,
                      const std::string& machine, char decimalSeparator) {
  return "Tarnwell\r\nVersion " + FormatVersionNumber(ProgramVersion, decimalSeparator) + " (" +
         ReleaseDate + ")\r\n\r\nOS: " + versionText + "\r\nUser/Computer: " + user + "/" + machine;
}

}  // namespace tarnwell
