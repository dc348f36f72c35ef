// Loads "planted_dll.dll" by name from beside itself before and after the
// setup's DLL hardening. Exit code 0: found before, refused after (the
// hardening works); 1: not even found before (the probe is broken);
// 2: still loaded after hardening.
#include <windows.h>

#include "startup/dll_hardening.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  HMODULE before = LoadLibraryA("planted_dll.dll");
  if (!before) return 1;
  FreeLibrary(before);
  HardenDllSearch();
  HMODULE after = LoadLibraryA("planted_dll.dll");
  return after ? 2 : 0;
}
