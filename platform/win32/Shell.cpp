// Opening files and addresses on Windows through ShellExecuteW, which hands
// them to the program registered for their kind and returns.
#include "platform/Shell.h"

#include <windows.h>
// The shell's headers build on windows.h.
#include <shellapi.h>

#include "platform/win32/Encoding.h"

namespace tarnwell::platform {

bool OpenWithDesktop(const std::string& pathOrUrl, std::chrono::milliseconds) {
  if (pathOrUrl.empty()) return false;
  // The shell has its verdict when it returns: no process is left to wait
  // for, so the wait does not apply.
  const HINSTANCE result =
      ::ShellExecuteW(nullptr, L"open", win32::Wide(pathOrUrl).c_str(), L"", L"", SW_SHOWNORMAL);
  // Values of 32 and below are error codes, not instances.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

const char* OpenFolderCommandText() { return "エクスプローラーで開く(&O)"; }

}  // namespace tarnwell::platform
