// Opening files and addresses on Windows through ShellExecuteW, which hands
// them to the program registered for their kind and returns.
#include "platform/Shell.h"

#include <windows.h>
// The shell's headers build on windows.h.
#include <shellapi.h>

#include "platform/win32/Encoding.h"

namespace tarnwell::platform {

Status OpenWithDesktop(const std::string& pathOrUrl, std::chrono::milliseconds) {
  if (pathOrUrl.empty()) return Status::Failure(ERROR_FILE_NOT_FOUND);
  // The shell has its verdict when it returns: no process is left to wait
  // for, so the wait does not apply.
  const HINSTANCE result =
      ::ShellExecuteW(nullptr, L"open", win32::Wide(pathOrUrl).c_str(), L"", L"", SW_SHOWNORMAL);
  // Values of 32 and below are error codes, not instances; most of them are
  // the system's own (ERROR_FILE_NOT_FOUND).
  const INT_PTR answer = reinterpret_cast<INT_PTR>(result);
  if (answer <= 32) return Status::Failure(static_cast<int>(answer));
  return {};
}

const char* OpenFolderCommandText() { return "エクスプローラーで開く(&O)"; }

}  // namespace tarnwell::platform
