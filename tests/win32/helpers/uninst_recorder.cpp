// Stands in for a command of the uninstall log: appends
// "TAG start <time> exists=<0|1>" to the file named by VELMORA_UNINST_RECORD
// (the time in 100 ns units, and whether PATH exists at that moment), sleeps
// the given milliseconds, then appends "TAG end <time>".
//
// usage: uninst_recorder TAG PATH [SLEEP_MS]
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string Now() {
  FILETIME time;
  GetSystemTimeAsFileTime(&time);
  return std::to_string(uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime);
}

void Append(const std::string& line) {
  char record[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("VELMORA_UNINST_RECORD", record, sizeof record);
  if (n == 0 || n >= sizeof record) return;
  const std::string text = line + "\r\n";
  // The component may be writing too: retry while it holds the file.
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = CreateFileA(record, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
      CloseHandle(file);
      return;
    }
    Sleep(10);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string tag = argc > 1 ? argv[1] : "";
  const bool exists = argc > 2 && GetFileAttributesA(argv[2]) != INVALID_FILE_ATTRIBUTES;
  Append(tag + " start " + Now() + " exists=" + (exists ? "1" : "0"));
  if (argc > 3) Sleep(DWORD(atoi(argv[3])));
  Append(tag + " end " + Now());
  return 0;
}
