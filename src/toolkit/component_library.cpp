#include "toolkit/component_library.h"

#include <windows.h>

namespace {

bool HasFolderPart(const std::string& path) { return path.find_first_of(":\\/") != std::string::npos; }

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 2];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
}

// The LOAD_LIBRARY_SEARCH_* flags exist where SetDefaultDllDirectories does
// (and the program has put it in force there).
bool SearchFlagsAvailable() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  return kernel && GetProcAddress(kernel, "SetDefaultDllDirectories");
}

}  // namespace

TModuleHandle LoadComponentLibrary(const std::string& path) {
  if (!HasFolderPart(path)) return TModuleHandle(LoadLibraryExA(path.c_str(), nullptr, 0));
  const std::string full = FullPath(path);
  // LOAD_WITH_ALTERED_SEARCH_PATH must not be mixed with the search flags.
  if (SearchFlagsAvailable())
    return TModuleHandle(
        LoadLibraryExA(full.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS));
  return TModuleHandle(LoadLibraryExA(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

bool CallComponentEntry(const TModuleHandle& module, const char* name) {
  return RunComponentEntry(module, name) != TEntryCall::Missing;
}

TEntryCall RunComponentEntry(const TModuleHandle& module, const char* name) {
  if (!module) return TEntryCall::Missing;
  using TEntry = HRESULT(WINAPI*)();
  auto entry = reinterpret_cast<TEntry>(reinterpret_cast<void*>(GetProcAddress(module.Get(), name)));
  if (!entry) return TEntryCall::Missing;
  return SUCCEEDED(entry()) ? TEntryCall::Succeeded : TEntryCall::Failed;
}
