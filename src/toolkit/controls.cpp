#include "toolkit/controls.h"

#include "toolkit/layout_scale.h"
#include "toolkit/window_dc.h"

HWND CreateChild(HWND parent, const char* className, const char* text, DWORD style, int x, int y, int width,
                 int height, int id, DWORD exStyle) {
  const RECT layout = {x, y, x + width, y + height};
  const RECT at = Scaled(parent, layout);
  HWND child = CreateWindowExA(exStyle, className, text, WS_CHILD | style, at.left, at.top, at.right - at.left,
                               at.bottom - at.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
  if (child) PlaceChild(child, layout);
  // Controls take the font of the window they are made in.
  HWND top = GetAncestor(parent, GA_ROOT);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(top ? top : parent, WM_GETFONT, 0, 0));
  if (child && font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

void SetWindowFont(HWND window, HFONT font) { SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }

namespace {

struct TFontSwap {
  HFONT from, to;
};

BOOL CALLBACK SwapFont(HWND child, LPARAM data) {
  const auto* swap = reinterpret_cast<const TFontSwap*>(data);
  if (reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)) == swap->from) SetWindowFont(child, swap->to);
  return TRUE;
}

}  // namespace

void ReplaceFont(HWND window, HFONT from, HFONT to) {
  TFontSwap swap{from, to};
  EnumChildWindows(window, SwapFont, reinterpret_cast<LPARAM>(&swap));
}

std::string WindowText(HWND window) {
  std::string text(size_t(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(size_t(GetWindowTextA(window, &text[0], int(text.size()))));
  return text;
}

void FitToText(HWND control, int extra) {
  const std::string text = WindowText(control);
  TWindowDC dc(control);
  if (!dc.Get()) return;
  HGDIOBJ old = SelectObject(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  RECT r = {0, 0, 0, 0};
  // Measured as the control draws it: "&&" is one ampersand, "&x" underlines x.
  DrawTextA(dc.Get(), text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc.Get(), old);
  // The text's size in the layout's 96-DPI pixels.
  const int height = r.bottom - r.top > 0 ? Unscaled(control, r.bottom - r.top) : 13;
  SizeTo(control, Unscaled(control, r.right - r.left) + extra, extra ? height + 4 : height);
}

bool IsChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND button, bool checked) {
  SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

RECT RectInParent(HWND control) {
  RECT r{};
  if (LayoutRect(control, r)) return r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void MoveTo(HWND control, int x, int y) {
  const RECT r = RectInParent(control);
  PlaceChild(control, {x, y, x + (r.right - r.left), y + (r.bottom - r.top)});
}

void SizeTo(HWND control, int width, int height) {
  const RECT r = RectInParent(control);
  PlaceChild(control, {r.left, r.top, r.left + width, r.top + height});
}

bool IsShown(HWND control) { return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0; }
