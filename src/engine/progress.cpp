#include "engine/progress.h"

#include <commctrl.h>

#include <algorithm>

#include "toolkit/message_pump.h"

namespace {
HWND g_status = nullptr;
HWND g_bar = nullptr;
std::string g_text;
int32_t g_maximum = 100;
int32_t g_position = 0;
}  // namespace

void AttachProgressControls(HWND statusLine, HWND progressBar) {
  g_status = statusLine;
  g_bar = progressBar;
}

void SetStatusText(const std::string& text) {
  g_text = text;
  if (!g_status) return;
  SetWindowTextA(g_status, text.c_str());
  UpdateWindow(g_status);
}

std::string StatusText() { return g_text; }

void SetProgressRange(int32_t maximum) {
  g_maximum = maximum;
  g_position = 0;
  if (g_bar) {
    SendMessageA(g_bar, PBM_SETRANGE32, 0, LPARAM(maximum));
    SendMessageA(g_bar, PBM_SETPOS, 0, 0);
  }
}

void StepProgress() {
  g_position = std::min(g_position + 1, std::max(g_maximum, 0));
  if (g_bar) SendMessageA(g_bar, PBM_SETPOS, WPARAM(g_position), 0);
  PumpWindowMessages();
  if (g_maximum < 32) Sleep(4);
}

int32_t ProgressPosition() { return g_position; }

void FillProgress() {
  g_position = std::max(g_maximum, 0);
  if (g_bar) SendMessageA(g_bar, PBM_SETPOS, WPARAM(g_position), 0);
}
