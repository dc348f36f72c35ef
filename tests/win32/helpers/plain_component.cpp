// A DLL without DllRegisterServer: records in "plain.log" beside itself when
// it is loaded ("attach") and freed ("detach").
#include <windows.h>

#include <string>

namespace {
void Record(HINSTANCE self, const char* event) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(self, path, sizeof path);
  std::string log(path, n);
  log = log.substr(0, log.find_last_of('\\') + 1) + "plain.log";
  HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string line = std::string(event) + "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
  CloseHandle(file);
}
}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Record(instance, "attach");
  if (reason == DLL_PROCESS_DETACH) Record(instance, "detach");
  return TRUE;
}
