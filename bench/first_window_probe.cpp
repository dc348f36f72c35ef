// Starts a program and reports how long it takes until something shows:
// its first visible top-level window, or (with --file PATH) until a file
// exists. Prints the milliseconds, then ends the program. Part of
// bench/first_window_bench.sh.
//
// With --answers it instead lets the program run to its end and asks one of
// its windows, shown or hidden, every 10 ms to answer a message; it prints
// how many asked, the longest and the 99th percentile time to the answer in
// ms, and the program's exit code. Part of bench/install_bench.sh.
//
// usage: first_window_probe [--file PATH | --answers] PROGRAM [ARGUMENTS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct TSearch {
  DWORD process;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || (search->visibleOnly && !IsWindowVisible(window))) return TRUE;
  search->found = window;
  return FALSE;
}

// A top-level window of the process, shown or (visibleOnly false) hidden.
HWND WindowOf(DWORD process, bool visibleOnly) {
  TSearch search{process, visibleOnly, nullptr};
  EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool Shows(DWORD process, const std::string& file) {
  if (!file.empty()) return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
  return WindowOf(process, true) != nullptr;
}

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return double(count.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// Asks a window of the running process to answer, every 10 ms, until it ends.
int MeasureAnswers(const PROCESS_INFORMATION& process) {
  std::vector<double> waits;
  while (WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT) {
    const HWND window = WindowOf(process.dwProcessId, false);
    if (!window) continue;
    const double asked = Now();
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) waits.push_back(Now() - asked);
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  std::sort(waits.begin(), waits.end());
  if (waits.empty()) {
    std::fputs("first_window_probe: no window answered\n", stderr);
    return 1;
  }
  std::printf("%zu %.1f %.1f %lu\n", waits.size(), waits.back(), waits[waits.size() * 99 / 100],
              static_cast<unsigned long>(exitCode));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int at = 1;
  std::string file;
  const bool answers = argc > 1 && std::string(argv[1]) == "--answers";
  if (answers) at = 2;
  if (argc > 2 && std::string(argv[1]) == "--file") {
    file = argv[2];
    at = 3;
  }
  if (at >= argc) {
    std::fputs("usage: first_window_probe [--file PATH | --answers] PROGRAM [ARGUMENTS]\n", stderr);
    return 2;
  }
  std::string commandLine;
  for (int i = at; i < argc; ++i) commandLine += std::string(i > at ? " " : "") + "\"" + argv[i] + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const double start = Now();
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "first_window_probe: cannot start %s\n", argv[at]);
    return 1;
  }
  if (answers) {
    const int result = MeasureAnswers(process);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
  }
  double shown = -1;
  while (Now() - start < 60000) {
    if (Shows(process.dwProcessId, file)) {
      shown = Now() - start;
      break;
    }
    if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (shown < 0) {
    std::fputs("first_window_probe: nothing showed\n", stderr);
    return 1;
  }
  std::printf("%.1f\n", shown);
  return 0;
}
