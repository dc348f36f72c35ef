#include "lang/language_dialog.h"

#include <windows.h>

#include <string>

#include "lang/language_choice.h"
#include "startup/application_window.h"
#include "toolkit/controls.h"
#include "toolkit/gdi_object.h"
#include "toolkit/layout_scale.h"
#include "toolkit/top_window.h"

namespace {

const char kClassName[] = "VelmoraLanguageDialog";
const char kPrompt[] = "Please select a language.";
enum { kIconBox = 100, kPromptLabel = 101, kLanguageList = 102 };
const int kClientWidth = 287, kClientHeight = 127;

struct TDialogState {
  TFont font;
  HWND list = nullptr;
  TLanguageDialogResult result;
};

// The owner is enabled again before the dialog goes: otherwise Windows hands
// the activation to some other program's window, and the wizard and later
// boxes open behind it.
void CloseDialog(HWND dialog) {
  EnableWindow(GetWindow(dialog, GW_OWNER), TRUE);
  DestroyWindow(dialog);
}

void LanguageConfirmed(HWND dialog, TDialogState& state) {
  LRESULT index = SendMessageA(state.list, CB_GETCURSEL, 0, 0);
  state.result.index = index < 0 ? 0 : int(index);
  state.result.confirmed = true;
  ShowWindow(dialog, SW_HIDE);
  PostMessageA(dialog, WM_CLOSE, 0, 0);
}

HWND AddControl(HWND dialog, const TDialogState& state, const char* className, const char* text, DWORD style,
                int id, int x, int y, int width, int height) {
  HWND control = CreateChild(dialog, className, text, WS_VISIBLE | style, x, y, width, height, id);
  SetWindowFont(control, state.font.Get());
  return control;
}

SIZE TextSize(HFONT font, const char* text) {
  SIZE size{};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  GetTextExtentPoint32A(dc, text, int(strlen(text)), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

void BuildControls(HWND dialog, TDialogState& state) {
  AddControl(dialog, state, "STATIC", "", SS_OWNERDRAW, kIconBox, 16, 16, 32, 32);
  SIZE prompt = TextSize(state.font.Get(), kPrompt);
  AddControl(dialog, state, "STATIC", kPrompt, SS_LEFT | SS_NOPREFIX, kPromptLabel, 67, 16, Unscaled(dialog, prompt.cx),
             Unscaled(dialog, prompt.cy));
  // The height given is the field plus its drop-down list.
  state.list = AddControl(dialog, state, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kLanguageList,
                          67, 62, 210, 21 + 160);
  AddControl(dialog, state, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 112, 95, 75, 23);
  AddControl(dialog, state, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 202, 95, 75, 23);
  for (int i = 0; i < LanguageCount(); ++i)
    SendMessageA(state.list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LanguageName(i).c_str()));
  SendMessageA(state.list, CB_SETCURSEL, WPARAM(DefaultLanguageIndex(GetUserDefaultLangID())), 0);
  SetFocus(state.list);
}

void DrawIconBox(const DRAWITEMSTRUCT& item) {
  HICON icon = reinterpret_cast<HICON>(GetClassLongPtrA(ApplicationWindow(), GCLP_HICON));
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  if (icon) DrawIconEx(item.hDC, 0, 0, icon, item.rcItem.right, item.rcItem.bottom, 0, nullptr, DI_NORMAL);
}

// A monitor of another DPI: the font made again, everything laid out anew.
void RenewFont(HWND dialog, int) {
  auto* state = reinterpret_cast<TDialogState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
  if (!state) return;
  TFont font = CreateLayoutFont(dialog, "Tahoma", 11);
  ReplaceFont(dialog, state->font.Get(), font.Get());
  state->font = std::move(font);
}

LRESULT CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<TDialogState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrA(dialog, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
      break;
    case WM_CREATE:
      BuildControls(dialog, *state);
      return 0;
    case DM_GETDEFID:
      return MAKELONG(IDOK, DC_HASDEFID);
    case WM_DRAWITEM:
      if (wParam == kIconBox) {
        DrawIconBox(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      }
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) LanguageConfirmed(dialog, *state);
      else if (LOWORD(wParam) == IDCANCEL) PostMessageA(dialog, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      CloseDialog(dialog);
      return 0;
    case WM_DPICHANGED:
      FollowDpiChange(dialog, wParam, lParam, RenewFont);
      return 0;
  }
  return DefWindowProcA(dialog, message, wParam, lParam);
}

// Runs the dialog's own message loop until it is destroyed. A quit request
// ends it unconfirmed and is kept for the program's loop.
void RunModal(HWND dialog) {
  MSG message;
  while (IsWindow(dialog)) {
    if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
      PostQuitMessage(int(message.wParam));
      CloseDialog(dialog);
      break;
    }
    if (!IsDialogMessageA(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

}  // namespace

TLanguageDialogResult ShowLanguageDialog() {
  RegisterWindowClass(kClassName, DialogProc, false);  // no caption icon
  TDialogState state;
  state.font = CreateLayoutFont(nullptr, "Tahoma", 11);
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;
  HWND owner = ApplicationWindow();
  HWND dialog = CreateCentredWindow(kClassName, ApplicationTitle().c_str(), style, exStyle, kClientWidth,
                                    kClientHeight, owner, &state);
  if (!dialog) return state.result;
  EnableWindow(owner, FALSE);
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  RunModal(dialog);
  EnableWindow(owner, TRUE);  // in case something else destroyed the dialog
  return state.result;
}
