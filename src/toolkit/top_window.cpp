#include "toolkit/top_window.h"

#include "toolkit/layout_scale.h"

void RegisterWindowClass(const char* className, WNDPROC procedure, bool captionIcon) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = captionIcon ? LoadIconA(instance, "MAINICON") : nullptr;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = className;
  RegisterClassA(&windowClass);
}

HWND CreateCentredWindow(const char* className, const char* caption, DWORD style, DWORD exStyle, int width,
                         int height, HWND owner, void* param) {
  const int dpi = ScreenDpi();
  RECT frame = {0, 0, ScaleTo(width, dpi), ScaleTo(height, dpi)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int outerWidth = frame.right - frame.left, outerHeight = frame.bottom - frame.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2;
  HWND window = CreateWindowExA(exStyle, className, caption, style, x, y, outerWidth, outerHeight, owner, nullptr,
                                GetModuleHandleA(nullptr), param);
  if (window) SetLayoutDpi(window, dpi);
  return window;
}
