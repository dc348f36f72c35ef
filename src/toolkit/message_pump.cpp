#include "toolkit/message_pump.h"

#include <windows.h>

namespace {
HWND g_dialog = nullptr;
DWORD g_lastPump = 0;
constexpr DWORD kPumpInterval = 10;  // milliseconds
}

void SetKeyboardDialog(HWND dialog) { g_dialog = dialog; }

void DispatchWindowMessage(MSG& message) {
  if (g_dialog && IsDialogMessageA(g_dialog, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void PumpWindowMessages() {
  g_lastPump = GetTickCount();
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(int(message.wParam));
      return;
    }
    DispatchWindowMessage(message);
  }
}

void PumpWindowMessagesNowAndThen() {
  if (GetTickCount() - g_lastPump >= kPumpInterval) PumpWindowMessages();
}
