// The text of the about box: program, version and release date, operating
// system, user and computer.
#pragma once

#include <string>

namespace tarnwell {

// The program's version as the about box shows it ("%1.2f"); it follows the
// major and minor numbers of the project's version in CMake.
inline constexpr double ProgramVersion = 1.00;
inline constexpr const char* ReleaseDate = "2026/12/08";

// `value` with at least one digit before and exactly two after the decimal
// separator, which is `decimalSeparator` whatever the process locale says.
std::string FormatVersionNumber(double value, char decimalSeparator);

// Five lines joined by CR LF, the last without a line break:
//   Tarnwell
//   Version 1.00 (2026/12/08)
//   (empty)
//   OS: <versionText>
//   User/Computer: <user>/<machine>
std::string AboutText(const std::string& versionText, const std::string& user,
                      const std::string& machine, char decimalSeparator);

}  // namespace tarnwell
