#include "toolkit/layout_scale.h"

#include <cstdint>

#include "toolkit/window_dc.h"

namespace {

const char kDpiProperty[] = "VelmoraLayoutDpi";
const char kPlaceProperty[] = "VelmoraLayoutPlace";  // x and y, 16 bits each
const char kSizeProperty[] = "VelmoraLayoutSize";    // width and height
const char kLaidOutProperty[] = "VelmoraLaidOut";    // set: the two above hold a rectangle

HANDLE Pack(int low, int high) {
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(static_cast<uint16_t>(low) |
                                                         static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16));
}

void Unpack(HANDLE packed, int& low, int& high) {
  const auto bits = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(packed));
  low = static_cast<int16_t>(bits & 0xFFFF);
  high = static_cast<int16_t>(bits >> 16);
}

BOOL CALLBACK LayOutChild(HWND child, LPARAM) {
  RECT rect;
  if (LayoutRect(child, rect)) {
    const RECT scaled = Scaled(child, rect);
    SetWindowPos(child, nullptr, scaled.left, scaled.top, scaled.right - scaled.left, scaled.bottom - scaled.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return TRUE;
}

using TDpiForWindow = UINT(WINAPI*)(HWND);

// Windows 10 and later; older systems have one DPI for every monitor.
TDpiForWindow DpiForWindow() {
  static const auto function = reinterpret_cast<TDpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  return function;
}

}  // namespace

int ScreenDpi() {
  TWindowDC dc(nullptr);
  const int dpi = dc.Get() ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : kBaseDpi;
  return dpi > 0 ? dpi : kBaseDpi;
}

int MonitorDpi(HWND window) {
  if (TDpiForWindow function = DpiForWindow())
    if (const UINT dpi = function(window)) return int(dpi);
  return ScreenDpi();
}

int LayoutDpi(HWND window) {
  HWND top = window ? GetAncestor(window, GA_ROOT) : nullptr;
  const auto dpi = top ? int(reinterpret_cast<uintptr_t>(GetPropA(top, kDpiProperty))) : 0;
  return dpi > 0 ? dpi : ScreenDpi();
}

void SetLayoutDpi(HWND topWindow, int dpi) {
  SetPropA(topWindow, kDpiProperty, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(dpi > 0 ? dpi : kBaseDpi)));
}

int Scaled(HWND window, int value) { return ScaleTo(value, LayoutDpi(window)); }

int Unscaled(HWND window, int pixels) {
  const int dpi = LayoutDpi(window);
  return (pixels * kBaseDpi + dpi - 1) / dpi;
}

RECT Scaled(HWND window, RECT rect) {
  const int dpi = LayoutDpi(window);
  return {ScaleTo(rect.left, dpi), ScaleTo(rect.top, dpi), ScaleTo(rect.right, dpi), ScaleTo(rect.bottom, dpi)};
}

TFont CreateLayoutFont(HWND window, const char* face, int height, int weight) {
  return CreatePixelFont(face, Scaled(window, height), weight);
}

TFont CreateLayoutFontA(HWND window, const char* face, int height, int weight) {
  return TFont(CreateFontA(Scaled(window, height), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           face));
}

bool LayoutRect(HWND child, RECT& rect) {
  if (!GetPropA(child, kLaidOutProperty)) return false;
  int x, y, width, height;
  Unpack(GetPropA(child, kPlaceProperty), x, y);
  Unpack(GetPropA(child, kSizeProperty), width, height);
  rect = {x, y, x + width, y + height};
  return true;
}

void PlaceChild(HWND child, const RECT& rect) {
  SetPropA(child, kPlaceProperty, Pack(rect.left, rect.top));
  SetPropA(child, kSizeProperty, Pack(rect.right - rect.left, rect.bottom - rect.top));
  SetPropA(child, kLaidOutProperty, reinterpret_cast<HANDLE>(1));
  LayOutChild(child, 0);
}

void LayOutAgain(HWND topWindow) { EnumChildWindows(topWindow, LayOutChild, 0); }

void FollowDpiChange(HWND topWindow, WPARAM wParam, LPARAM lParam, void (*refonts)(HWND, int)) {
  const int dpi = HIWORD(wParam);
  SetLayoutDpi(topWindow, dpi);
  if (refonts) refonts(topWindow, dpi);
  const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
  if (suggested)
    SetWindowPos(topWindow, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  LayOutAgain(topWindow);
  RedrawWindow(topWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
