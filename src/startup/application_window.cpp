#include "startup/application_window.h"

#include "toolkit/controls.h"

namespace {

const char kClassName[] = "VelmoraSetupApplication";
HWND g_window = nullptr;

LRESULT CALLBACK ApplicationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND ApplicationWindow() {
  if (g_window) return g_window;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ApplicationProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "MAINICON");
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);
  // A zero-sized window in the middle of the screen: only its task-bar button shows.
  int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
  g_window = CreateWindowExA(0, kClassName, "*", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                             x, y, 0, 0, nullptr, nullptr, instance, nullptr);
  return g_window;
}

void SetApplicationTitle(const std::string& title) { SetWindowTextA(ApplicationWindow(), title.c_str()); }

std::string ApplicationTitle() {
  return WindowText(ApplicationWindow());
}

void DestroyApplicationWindow() {
  if (g_window) DestroyWindow(g_window);
  g_window = nullptr;
}
