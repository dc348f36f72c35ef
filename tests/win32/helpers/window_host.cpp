// Stands in for a running program in the tests: opens one window per title
// given and records every close request in a log file. It never closes a
// window itself. With --box, a close request is answered by a "save
// changes?" box that carries the window's own title, as editors do.
//
// usage: window_host LOGFILE [--box] TITLE...
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string g_log;
bool g_box = false;

void Record(const std::string& line) {
  HANDLE file = CreateFileA(g_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string text = line + "\r\n";
  DWORD written = 0;
  WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
  CloseHandle(file);
}

std::string TitleOf(HWND window) {
  char title[512] = {};
  GetWindowTextA(window, title, sizeof title);
  return title;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    std::string title = TitleOf(window);
    Record("CLOSE " + title);
    if (g_box) {
      MessageBoxA(window, "Save changes?", title.c_str(), MB_OK);
      Record("BOX DONE " + title);
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  g_log = argv[1];
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = HostProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VelmoraTestHost";
  RegisterClassA(&windowClass);
  int y = 0;
  for (int i = 2; i < argc; ++i) {
    if (std::string(argv[i]) == "--box") {
      g_box = true;
      continue;
    }
    CreateWindowA("VelmoraTestHost", argv[i], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, y += 40, 300, 80, nullptr, nullptr,
                  windowClass.hInstance, nullptr);
  }
  Record("READY");
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
