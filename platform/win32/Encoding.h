// Text at the Windows edge: the program keeps UTF-8 inside and converts only
// where a Windows call takes or returns text, to UTF-16 for the W calls and
// to the ANSI code page (932 on a Japanese system) for the A calls and the
// bytes of the settings file.
#pragma once

#include <string>
#include <string_view>

namespace tarnwell::platform::win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
// Through the ANSI code page; characters it lacks become its default one.
std::string AnsiFromUtf8(std::string_view utf8);
std::string Utf8FromAnsi(std::string_view ansi);

}  // namespace tarnwell::platform::win32
