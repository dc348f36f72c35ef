// Stands in for a program that a setup starts: appends "start TAG" with the
// folder it was started in, its show command and its own path to the log
// named by VELMORA_PROBE_LOG, sleeps the given milliseconds, then appends
// "end TAG".
//
// usage: command_probe TAG [SLEEP_MS]
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

void Append(const std::string& line) {
  char log[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("VELMORA_PROBE_LOG", log, sizeof log);
  if (n == 0 || n >= sizeof log) return;
  const std::string text = line + "\r\n";
  // Several probes may write at once: retry while another holds the file.
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
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
  char folder[MAX_PATH] = {}, self[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof folder, folder);
  GetModuleFileNameA(nullptr, self, sizeof self);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const int show = startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : -1;
  Append("start " + tag + " | folder=" + folder + " | show=" + std::to_string(show) + " | exe=" + self);
  if (argc > 2) Sleep(DWORD(atoi(argv[2])));
  Append("end " + tag);
  return 0;
}
