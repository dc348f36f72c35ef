#include "engine/components.h"

#include <windows.h>

#include "toolkit/component_library.h"

void RegisterComponent(const std::string& path) {
  // Its result is not reported: a failing registration passes silently.
  CallComponentEntry(LoadComponentLibrary(path), "DllRegisterServer");
}
