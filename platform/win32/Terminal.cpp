// Whether the standard streams are consoles, on Windows. A console shows the
// program's UTF-8 once its output code page is UTF-8 (set by the runner).
#include "platform/Terminal.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>

#include "platform/win32/Encoding.h"

namespace tarnwell::platform {
namespace {

bool IsConsole(DWORD stream) {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(stream), &mode) != 0;
}

}  // namespace

bool IsErrorStreamTerminal() { return IsConsole(STD_ERROR_HANDLE); }
bool IsOutputStreamTerminal() { return IsConsole(STD_OUTPUT_HANDLE); }

std::vector<std::string> CommandLineArguments(int, char**) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(win32::Utf8(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

void PrepareConsole() {
  ::SetConsoleOutputCP(CP_UTF8);
  ::SetConsoleCP(CP_UTF8);
}

Status FlushStandardOutput() {
  // The C library's flush ends in WriteFile, whose code says why.
  if (std::fflush(stdout) != 0) return Status::Failure(static_cast<int>(::GetLastError()));
  return std::ferror(stdout) ? Status::Failure(0) : Status{};
}

}  // namespace tarnwell::platform
