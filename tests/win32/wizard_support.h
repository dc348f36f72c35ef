// Driving the wizard of a running setup.exe from the outside.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui_driver.h"

namespace wizard {

inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 20000) {
  const DWORD start = GetTickCount();
  do {
    if (condition()) return true;
    Sleep(30);
  } while (GetTickCount() - start < timeoutMs);
  return condition();
}

// The wizard once its first page is up (Next has its caption).
inline HWND WaitForWizard(const ui::TProcess& process, DWORD timeoutMs = 20000) {
  return ui::WaitForWindow(process.Id(), [](HWND w) {
    return ui::ClassName(w) == "VelmoraSetupWizard" && !ui::Text(GetDlgItem(w, 11)).empty();
  }, timeoutMs);
}

// The direct children of a window that are visible panels.
inline HWND VisiblePanel(HWND wizard) {
  for (HWND child = GetWindow(wizard, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (ui::ClassName(child) == "VelmoraPanel" && ui::IsVisible(child)) return child;
  return nullptr;
}

// The controls of a panel (and of panels inside it) that are visible, in
// creation order.
inline std::vector<HWND> VisibleControls(HWND panel) {
  std::vector<HWND> controls;
  for (HWND child : ui::Children(panel))
    if (ui::IsVisible(child)) controls.push_back(child);
  return controls;
}

inline HWND Header(HWND wizard) { return ui::FindChild(wizard, "VelmoraHeaderBand"); }
inline std::string HeaderTitle(HWND wizard) { return ui::Text(GetDlgItem(Header(wizard), 1)); }
inline std::string HeaderSubtitle(HWND wizard) { return ui::Text(GetDlgItem(Header(wizard), 2)); }

struct TButtons {
  HWND back, next, cancel;
};
inline TButtons Buttons(HWND wizard) { return {GetDlgItem(wizard, 10), GetDlgItem(wizard, 11), GetDlgItem(wizard, IDCANCEL)}; }

// Clicks Next and waits until another panel or another header title shows.
inline bool Next(HWND wizard) {
  const HWND panel = VisiblePanel(wizard);
  const std::string title = HeaderTitle(wizard);
  ui::Click(Buttons(wizard).next);
  return WaitUntil([&] { return VisiblePanel(wizard) != panel || HeaderTitle(wizard) != title; });
}

inline bool Back(HWND wizard) {
  const HWND panel = VisiblePanel(wizard);
  ui::Click(Buttons(wizard).back);
  return WaitUntil([&] { return VisiblePanel(wizard) != panel; });
}

// The control that has the keyboard focus in the window's thread.
inline HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// A pixel of the screen at a point of the window's client area.
inline COLORREF ClientPixel(HWND window, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(window, &p);
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

}  // namespace wizard
