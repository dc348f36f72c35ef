#include "toolkit/panel.h"

#include "toolkit/controls.h"
#include "toolkit/drawing.h"
#include "toolkit/gdi_object.h"
#include "toolkit/top_window.h"

namespace {

const char kClassName[] = "VelmoraPanel";

// Each panel owns the brush of its colour.
struct TPanelState {
  COLORREF colour;
  TGdiObject<HBRUSH> brush;
};

TPanelState* State(HWND panel) { return reinterpret_cast<TPanelState*>(GetWindowLongPtrA(panel, GWLP_USERDATA)); }

LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  TPanelState* state = State(panel);
  switch (message) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(panel, &r);
      if (state) FillRect(reinterpret_cast<HDC>(wParam), &r, state->brush.Get());
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (!state) break;
      SetBkColor(reinterpret_cast<HDC>(wParam), state->colour);
      if (GetWindowLongA(reinterpret_cast<HWND>(lParam), GWL_STYLE) & WS_DISABLED)
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_GRAYTEXT));
      return reinterpret_cast<LRESULT>(state->brush.Get());
    case WM_COMMAND:
    case WM_NOTIFY:
      return SendMessageA(GetAncestor(panel, GA_ROOT), message, wParam, lParam);
    case WM_NCDESTROY:
      delete state;
      SetWindowLongPtrA(panel, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcA(panel, message, wParam, lParam);
}

}  // namespace

HWND CreatePanel(HWND parent, int x, int y, int width, int height, COLORREF colour, bool visible) {
  RegisterWindowClass(kClassName, PanelProc, false);
  HWND panel = CreateChild(parent, kClassName, "", (visible ? WS_VISIBLE : 0) | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, x,
                           y, width, height, 0, WS_EX_CONTROLPARENT);
  if (panel) SetWindowLongPtrA(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TPanelState{colour, TGdiObject<HBRUSH>(CreateSolidBrush(colour))}));
  return panel;
}

void SetPanelColour(HWND panel, COLORREF colour) {
  TPanelState* state = State(panel);
  if (!state) return;
  state->colour = colour;
  state->brush = TGdiObject<HBRUSH>(CreateSolidBrush(colour));
  InvalidateRect(panel, nullptr, TRUE);
}
