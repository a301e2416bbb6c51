// Catalogue texts with numbered placeholders: {1}, {2}, … stand for the
// first, second, … value, in whatever order a translation needs them, as
// often as it needs them. The printf-style FormatText (TextFormat.h) cannot
// do this portably: the Windows C library does not honour %1$s.
//
// A placeholder is "{" then a number from 1 to 99 then "}". Everything else,
// braces included, is text; a placeholder without a value stays as it is,
// so a faulty translation shows its fault instead of losing a figure. The
// build checks that every translation has its msgid's placeholders.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tarnwell {

std::string NumberedText(std::string_view text, std::initializer_list<std::string_view> values);

}  // namespace tarnwell
