// A component of the uninstaller's tests: DllUnregisterServer appends
// "unregistered <time>" to the file named by VELMORA_UNINST_RECORD, so a
// test sees that, and when, it ran.
#include <windows.h>

#include <string>

extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
  char record[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("VELMORA_UNINST_RECORD", record, sizeof record);
  if (n == 0 || n >= sizeof record) return E_FAIL;
  FILETIME time;
  GetSystemTimeAsFileTime(&time);
  const std::string line =
      "unregistered " + std::to_string(uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime) + "\r\n";
  HANDLE file = CreateFileA(record, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return E_FAIL;
  DWORD written = 0;
  WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
  CloseHandle(file);
  return S_OK;
}
