// A component that registers itself: DllRegisterServer writes
// "registered <answer of its dependency>" to "registered.txt" beside the DLL.
// It imports from component_dependency.dll, so it only loads when that one
// is found.
#include <windows.h>

#include <string>

extern "C" __declspec(dllimport) int DependencyAnswer();

namespace {
HINSTANCE g_self = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(g_self, path, sizeof path);
  std::string record(path, n);
  record = record.substr(0, record.find_last_of('\\') + 1) + "registered.txt";
  HANDLE file = CreateFileA(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return E_FAIL;
  const std::string line = "registered " + std::to_string(DependencyAnswer()) + "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
  CloseHandle(file);
  return S_OK;
}
