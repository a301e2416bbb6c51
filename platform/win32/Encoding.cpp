// UTF-8, UTF-16 and the ANSI code page through MultiByteToWideChar and
// WideCharToMultiByte.
#include "platform/win32/Encoding.h"

#include <windows.h>

namespace tarnwell::platform::win32 {
namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size =
      ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string FromWide(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
  return text;
}

}  // namespace

std::wstring Wide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string Utf8(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }
std::string AnsiFromUtf8(std::string_view utf8) { return FromWide(CP_ACP, Wide(utf8)); }
std::string Utf8FromAnsi(std::string_view ansi) { return Utf8(ToWide(CP_ACP, ansi)); }

}  // namespace tarnwell::platform::win32
