// Answers a message box of any program, as a person at the screen would:
//
//   answer_box CAPTION BUTTON_ID [TIMEOUT_MS]
//
// Waits for a dialog box with that caption, clicks the button (IDIGNORE is
// 5, IDRETRY 4, IDABORT 3) and exits 0; exits 1 when no such box came.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "ui_driver.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string caption = argv[1];
  const int button = std::atoi(argv[2]);
  const DWORD timeout = argc > 3 ? DWORD(std::atol(argv[3])) : 60000;
  for (DWORD start = GetTickCount(); GetTickCount() - start < timeout; Sleep(100)) {
    HWND box = FindWindowA("#32770", caption.c_str());
    HWND target = box ? GetDlgItem(box, button) : nullptr;
    if (!target || !ui::IsVisible(box)) continue;
    ui::Click(target);
    return 0;
  }
  return 1;
}
