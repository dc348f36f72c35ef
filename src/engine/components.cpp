#include "engine/components.h"

#include <windows.h>

#include "toolkit/module_handle.h"

namespace {

// The LOAD_LIBRARY_SEARCH_* flags exist where SetDefaultDllDirectories does;
// HardenDllSearch has put it in force there.
bool SearchFlagsAvailable() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  return kernel && GetProcAddress(kernel, "SetDefaultDllDirectories");
}

bool HasFolderPart(const std::string& path) { return path.find_first_of(":\\/") != std::string::npos; }

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 2];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
}

// A component's dependencies are normally installed beside it, so its own
// folder is searched for them; the folder the setup was started from never is.
HMODULE LoadComponent(const std::string& path) {
  // A bare name is a system DLL: the ordinary (hardened) search finds it.
  if (!HasFolderPart(path)) return LoadLibraryExA(path.c_str(), nullptr, 0);
  const std::string full = FullPath(path);
  // LOAD_WITH_ALTERED_SEARCH_PATH must not be mixed with the search flags.
  if (SearchFlagsAvailable())
    return LoadLibraryExA(full.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  return LoadLibraryExA(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

void RegisterComponent(const std::string& path) {
  TModuleHandle component(LoadComponent(path));
  if (!component) return;
  using TRegisterServer = HRESULT(WINAPI*)();
  auto registerServer =
      reinterpret_cast<TRegisterServer>(reinterpret_cast<void*>(GetProcAddress(component.Get(), "DllRegisterServer")));
  // Its result is not reported: a failing registration passes silently.
  if (registerServer) registerServer();
}
