// Starts a program and reports how long it takes until something shows:
// its first visible top-level window, or (with --file PATH) until a file
// exists. Prints the milliseconds, then ends the program. Part of
// bench/first_window_bench.sh.
//
// usage: first_window_probe [--file PATH] PROGRAM [ARGUMENTS]
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct TSearch {
  DWORD process;
  bool found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->process && IsWindowVisible(window)) {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

bool Shows(DWORD process, const std::string& file) {
  if (!file.empty()) return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
  TSearch search{process, false};
  EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return double(count.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  int at = 1;
  std::string file;
  if (argc > 2 && std::string(argv[1]) == "--file") {
    file = argv[2];
    at = 3;
  }
  if (at >= argc) {
    std::fputs("usage: first_window_probe [--file PATH] PROGRAM [ARGUMENTS]\n", stderr);
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
