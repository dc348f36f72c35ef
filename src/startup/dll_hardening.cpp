#include "startup/dll_hardening.h"

#include <windows.h>

void HardenDllSearch() {
  using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto setDefault = kernel ? reinterpret_cast<TSetDefaultDllDirectories>(
                                 reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                           : nullptr;
  if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Older systems: at least take the current folder out of the search.
  SetDllDirectoryA("");
}
