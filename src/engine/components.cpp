#include "engine/components.h"

#include <windows.h>

#include "toolkit/component_library.h"

DWORD RegisterComponent(const std::string& path) {
  const TModuleHandle module = LoadComponentLibrary(path);
  if (!module) return GetLastError();
  switch (RunComponentEntry(module, "DllRegisterServer")) {
    case TEntryCall::Succeeded:
    case TEntryCall::Missing:  // nothing to register: as the uninstaller, not a failure
      return ERROR_SUCCESS;
    case TEntryCall::Failed: break;
  }
  return ERROR_GEN_FAILURE;
}
