// Locating the Start menu's Programs folders through the shell.
#include "platform/ProgramsFolder.h"

#include <windows.h>
// The shell's headers build on windows.h.
#include <shlobj.h>

#include "platform/PathNames.h"
#include "platform/win32/Encoding.h"

namespace tarnwell::platform {

std::string ProgramsFolder(bool allUsers) {
  wchar_t buffer[MAX_PATH] = {};
  // Without CSIDL_FLAG_CREATE a missing folder is reported, not made; the
  // W call says so with S_FALSE, which is no folder either.
  const HRESULT result =
      ::SHGetFolderPathW(nullptr, allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, nullptr,
                         SHGFP_TYPE_CURRENT, buffer);
  if (result != S_OK || buffer[0] == L'\0') return {};
  return WithoutClosingSeparators(win32::Utf8(buffer));
}

}  // namespace tarnwell::platform
