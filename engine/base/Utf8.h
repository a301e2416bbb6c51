// Recognising well-formed UTF-8 in text whose bytes may be anything (file
// names on Linux), for writers whose output must stay UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwell {

// Length of the well-formed UTF-8 sequence at `at`, or 0 when the byte there
// does not start one (overlong forms, surrogates and code points above
// U+10FFFF included).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// Whether every byte of `text` belongs to well-formed UTF-8.
bool IsUtf8(std::string_view text);

// The bidirectional control whose well-formed sequence starts at `at`
// (U+061C, U+200E, U+200F, U+202A..U+202E, U+2066..U+2069), or 0 for any
// other character: one of them in a name can turn the rest of a line around
// on the screen, so that "gpj.exe" reads as "exe.jpg".
char32_t BidiControlAt(const std::string& text, std::size_t at);

// `text` safe to print on a terminal line: control characters (C0, DEL and
// the C1 range) are written as \t, \n, \r, \xHH or \u00HH, bidirectional
// controls as \uHHHH, and bytes that are not UTF-8 as \xHH, so a field can
// neither start an escape sequence, break the line into fake rows nor turn
// the text after it around. Everything else stays as it is.
std::string PrintableText(const std::string& text);

}  // namespace tarnwell
