#include "toolkit/message_pump.h"

#include <windows.h>

namespace {
HWND g_dialog = nullptr;
}

void SetKeyboardDialog(HWND dialog) { g_dialog = dialog; }

void DispatchWindowMessage(MSG& message) {
  if (g_dialog && IsDialogMessageA(g_dialog, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void PumpWindowMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(int(message.wParam));
      return;
    }
    DispatchWindowMessage(message);
  }
}
