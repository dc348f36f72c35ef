#include "toolkit/controls.h"

HWND CreateChild(HWND parent, const char* className, const char* text, DWORD style, int x, int y, int width,
                 int height, int id, DWORD exStyle) {
  HWND child = CreateWindowExA(exStyle, className, text, WS_CHILD | style, x, y, width, height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  // Controls take the font of the window they are made in.
  HWND top = GetAncestor(parent, GA_ROOT);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(top ? top : parent, WM_GETFONT, 0, 0));
  if (child && font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

void SetWindowFont(HWND window, HFONT font) { SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }
