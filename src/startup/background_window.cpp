#include "startup/background_window.h"


#include <string>

#include "archive/setup_script.h"
#include "lang/folders.h"
#include "startup/application_window.h"
#include "startup/background_picture.h"
#include "startup/command_line.h"
#include "toolkit/common_controls.h"
#include "toolkit/controls.h"
#include "toolkit/drawing.h"
#include "toolkit/gdi_object.h"
#include "toolkit/layout_scale.h"
#include "toolkit/top_window.h"
#include "toolkit/window_dc.h"

namespace {

const char kClassName[] = "VelmoraBackground";
const int kBottomMargin = 8;  // between the bottom text and the bottom right corner

// The script fields that make up one text's look.
struct TTextFields {
  int text, height, face, colour, charset, style;
};
const TTextFields kTitleFields = {8, 10, 11, 12, 13, 14};
const TTextFields kBottomFields = {9, 18, 19, 16, 17, 15};
enum TFontStyle { kBold = 1, kItalic = 2, kUnderline = 4, kStrikeOut = 8 };

struct TLabel {
  HWND window = nullptr;
  TFont font;
  COLORREF colour = RGB(0, 0, 0);
};

struct TBackground {
  HWND window = nullptr;
  HWND target = nullptr;
  TFont font;
  TLabel title, bottom;
  TBackdrop backdrop;
};

TBackground& Background() {
  static TBackground background;
  return background;
}

void BringTargetForward() {
  if (HWND target = Background().target) SetForegroundWindow(target);
}

bool IsMouseButton(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP:
    case WM_XBUTTONDOWN: case WM_XBUTTONUP:
      return true;
  }
  return false;
}

void EraseBackground(HWND window, HDC dc) {
  HBRUSH brush = Background().backdrop.brush.Get();
  if (!brush) return;
  RECT client;
  GetClientRect(window, &client);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  FillRect(dc, &client, brush);
}

LRESULT TextColours(HDC dc, HWND label) {
  const TBackground& b = Background();
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, label == b.title.window ? b.title.colour : b.bottom.colour);
  return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

LRESULT CALLBACK BackgroundProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsMouseButton(message)) BringTargetForward();
  switch (message) {
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(Background().font.Get());
    case WM_ERASEBKGND:
      EraseBackground(window, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PAINT: {  // all drawing happens in the erase and in the texts
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      BringTargetForward();
      return 0;
    }
    case WM_SHOWWINDOW:
      if (wParam) BringTargetForward();
      break;
    case WM_CTLCOLORSTATIC:
      return TextColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SYSCOMMAND:
      // Alt+F4 asks for the Close command that the system menu no longer has.
      if ((wParam & 0xFFF0) == SC_CLOSE) return 0;
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Clicks on a text pass through to the window (a static control is
// transparent to hit-testing); this catches those sent to the text itself.
LRESULT CALLBACK LabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (IsMouseButton(message)) BringTargetForward();
  return DefaultSubclassProc(label, message, wParam, lParam);
}

HWND CreateLabel(HWND window, int x, int y) {
  HWND label = CreateChild(window, "STATIC", "", WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, x, y, 0, 0);
  SubclassWindow(label, LabelProc, 0, 0);
  return label;
}

// The text's extent in its font, line breaks included.
SIZE TextSize(HWND label, const std::string& text) {
  TWindowDC dc(label);
  HGDIOBJ old = SelectObject(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
  RECT extent = {0, 0, 0, 0};
  DrawTextA(dc.Get(), text.c_str(), int(text.size()), &extent, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc.Get(), old);
  return {extent.right, extent.bottom};
}

// The height keeps CreateFontA's sign rule: negative for the characters'
// height, positive for the cell's.
// The height is the layout's, at 96 DPI, scaled for the window.
TFont ScriptFont(HWND window, const TTextFields& fields) {
  const int style = FieldInt(fields.style);
  return TFont(CreateFontA(Scaled(window, FieldInt(fields.height)), 0, 0, 0, (style & kBold) ? FW_BOLD : FW_NORMAL,
                           (style & kItalic) != 0, (style & kUnderline) != 0, (style & kStrikeOut) != 0,
                           BYTE(FieldInt(fields.charset)), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, FieldText(fields.face).c_str()));
}

// Text, font and colour from the script; the label takes the text's size.
void SetUpLabel(TLabel& label, const TTextFields& fields) {
  const std::string text = ExpandPathConstants(FieldText(fields.text));
  SetWindowTextA(label.window, text.c_str());
  TFont font = ScriptFont(label.window, fields);
  SetWindowFont(label.window, font.Get());
  label.font = std::move(font);  // the label's earlier font goes only now that it is no longer in use
  label.colour = ResolveColour(uint32_t(FieldInt(fields.colour)));
  const SIZE size = TextSize(label.window, text);
  SizeTo(label.window, Unscaled(label.window, size.cx), Unscaled(label.window, size.cy));
}

// In the layout's 96-DPI pixels, as every place of the window.
void MoveToBottomRight(HWND label, const RECT& client) {
  const RECT r = RectInParent(label);
  MoveTo(label, Unscaled(label, client.right) - (r.right - r.left) - kBottomMargin,
         Unscaled(label, client.bottom) - (r.bottom - r.top) - kBottomMargin);
}

}  // namespace

HWND CreateBackgroundWindow() {
  TBackground& b = Background();
  if (b.window) return b.window;
  RegisterWindowClass(kClassName, BackgroundProc);
  b.font = CreateLayoutFont(nullptr, "Tahoma", 11);
  // Border-less, so the client area is the whole window; no WS_CLIPCHILDREN,
  // so the background is painted under the transparent texts.
  b.window = CreateWindowExA(0, kClassName, "Velmora", WS_POPUP | WS_CLIPSIBLINGS, 318, 200, 227, 111,
                             ApplicationWindow(), nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!b.window) return nullptr;
  if (HMENU menu = GetSystemMenu(b.window, FALSE)) DeleteMenu(menu, SC_CLOSE, MF_BYCOMMAND);
  b.title.window = CreateLabel(b.window, 16, 16);
  b.bottom.window = CreateLabel(b.window, 16, 79);
  return b.window;
}

HWND BackgroundWindow() { return Background().window; }

bool BackgroundWanted() { return FieldFlag(1) && !RunFlags().silent; }

void SetForegroundTarget(HWND wizard) { Background().target = wizard; }

void SetUpBackgroundWindow() {
  TBackground& b = Background();
  if (!b.window) return;
  if (!BackgroundWanted()) {
    ShowWindow(b.window, SW_HIDE);
    return;
  }
  b.backdrop = TBackdrop();
  SetWindowPos(b.window, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(b.window, SW_SHOW);
  SetForegroundWindow(b.window);
  RECT client;
  GetClientRect(b.window, &client);
  {
    TWindowDC dc(b.window);
    b.backdrop = MakeBackdrop(dc.Get(), client.right, client.bottom);
  }
  SetUpLabel(b.title, kTitleFields);
  SetUpLabel(b.bottom, kBottomFields);
  MoveToBottomRight(b.bottom.window, client);
  RedrawWindow(b.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
