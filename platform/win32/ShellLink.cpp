// Shell links through the W interfaces of the shell's link object, so that
// names outside the ANSI code page survive.
#include "platform/ShellLink.h"

#include <windows.h>
// The shell's headers build on windows.h.
#include <objidl.h>
#include <shlobj.h>

#include "platform/win32/Encoding.h"

namespace tarnwell::platform {
namespace {

// Releases one interface reference on every path out.
template <class Interface>
class ComReference {
public:
  ComReference() = default;
  ~ComReference() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  ComReference(const ComReference&) = delete;
  ComReference& operator=(const ComReference&) = delete;

  Interface* operator->() const { return pointer_; }
  Interface* Get() const { return pointer_; }
  void** Out() { return reinterpret_cast<void**>(&pointer_); }

private:
  Interface* pointer_ = nullptr;
};

}  // namespace

ShellLinkResult SaveShellLink(const std::string& linkPath, const std::string& targetPath,
                              const std::string& workingDirectory, const std::string& description) {
  ComReference<IUnknown> object;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr,
                                CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                object.Out()))) {
    return ShellLinkResult::NoLinkObject;
  }
  ComReference<IShellLinkW> link;
  ComReference<IPersistFile> file;
  if (FAILED(object->QueryInterface(IID_IShellLinkW, link.Out())) ||
      FAILED(object->QueryInterface(IID_IPersistFile, file.Out()))) {
    return ShellLinkResult::NoLinkObject;
  }
  // A property the object refuses shows in the saved link, not here.
  link->SetPath(win32::Wide(targetPath).c_str());
  link->SetWorkingDirectory(win32::Wide(workingDirectory).c_str());
  link->SetDescription(win32::Wide(description).c_str());
  // S_FALSE too means the file was not written as asked.
  return file->Save(win32::Wide(linkPath).c_str(), FALSE) == S_OK ? ShellLinkResult::Saved
                                                                  : ShellLinkResult::SaveFailed;
}

}  // namespace tarnwell::platform
