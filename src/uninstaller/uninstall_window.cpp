#include "uninstaller/uninstall_window.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "archive/script_text.h"
#include "lang/restart_windows.h"
#include "startup/exit_codes.h"
#include "toolkit/controls.h"
#include "toolkit/top_window.h"
#include "toolkit/gdi_object.h"
#include "toolkit/header_band.h"
#include "toolkit/layout_scale.h"
#include "uninstaller/removal_driver.h"

namespace {

const char kClassName[] = "VelmoraUninstaller";
const int kClientWidth = 495, kClientHeight = 359;
const DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
enum { kMainButton = 11 };

enum class TPhase { Confirm, Working, Done };

struct TUninstallWindow {
  const TUninstallLog* log = nullptr;
  const std::vector<TRemovalStep>* plan = nullptr;
  TSelfRelocation* self = nullptr;
  TPhase phase = TPhase::Confirm;
  bool stopRequested = false;
  int exitCode = kExitOk;
  int position = 0;
  TRemovalResult result;
  bool restartChosen = false;  // Finish with "restart now": Windows restarts once the window is gone
  HWND window = nullptr, header = nullptr, confirmPanel = nullptr, progressPanel = nullptr;
  HWND heading = nullptr, status = nullptr, bar = nullptr, mainButton = nullptr, cancelButton = nullptr;
  HWND restartNow = nullptr;
  TFont font, boldFont;
};

TUninstallWindow& State() {
  static TUninstallWindow state;
  return state;
}

std::string Setting(int k) { return SettingText(*State().log, k); }

// The setup writes these texts; a log without them gets the program's own.
std::string SettingOr(int k, const char* fallback) {
  const std::string text = Setting(k);
  return text.empty() ? fallback : text;
}

void End(int exitCode) {
  TUninstallWindow& s = State();
  s.exitCode = exitCode;
  DestroyWindow(s.window);
}

bool ConfirmQuit() {
  return MessageBoxA(State().window, Setting(12).c_str(), Setting(3).c_str(), MB_YESNO | MB_ICONWARNING) == IDYES;
}

void CloseRequested() {
  TUninstallWindow& s = State();
  switch (s.phase) {
    case TPhase::Confirm:
      if (ConfirmQuit()) End(kExitUserCancelled);
      break;
    case TPhase::Working:
      if (!s.stopRequested && ConfirmQuit()) s.stopRequested = true;  // at the next step boundary
      break;
    case TPhase::Done:
      End(s.exitCode);
      break;
  }
}

// Below the heading: the items that stayed, then the question of a restart
// when items in use are left to Windows' next start. The restart's
// sentence takes the place of the status line and the bar.
void ShowItemsLeft() {
  TUninstallWindow& s = State();
  const int lineHeight = 13, left = 22, width = 452;
  int top = 76;
  const std::string failures = FailuresText(s.result);
  if (!failures.empty()) {
    const int lines = int(std::count(failures.begin(), failures.end(), '\n')) + 1;
    CreateChild(s.progressPanel, "STATIC", failures.c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, left,
                top, width, lines * lineHeight);
    top += lines * lineHeight + 6;
  }
  if (s.result.scheduled == 0) return;
  ShowWindow(s.status, SW_HIDE);
  ShowWindow(s.bar, SW_HIDE);
  CreateChild(s.progressPanel, "STATIC", SettingOr(35, "Windows must be restarted to complete the removal.").c_str(),
              WS_VISIBLE | SS_LEFT | SS_NOPREFIX, left, top, width, 2 * lineHeight);
  s.restartNow = CreateChild(s.progressPanel, "BUTTON", SettingOr(33, "Restart now").c_str(),
                             WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, left, top + 28, width, 17);
  CreateChild(s.progressPanel, "BUTTON", SettingOr(34, "I will restart later").c_str(),
              WS_VISIBLE | BS_AUTORADIOBUTTON, left, top + 50, width, 17);
  SetChecked(s.restartNow, true);
}

void ShowCompletion() {
  TUninstallWindow& s = State();
  s.phase = TPhase::Done;
  ShowItemsLeft();
  SetHeaderTexts(s.header, Setting(6), Setting(7));
  SetWindowTextA(s.heading, Setting(11).c_str());
  SetWindowTextA(s.status, Setting(5).c_str());
  SendMessageA(s.bar, PBM_SETPOS, WPARAM(SendMessageA(s.bar, PBM_GETRANGE, FALSE, 0)), 0);
  SetWindowTextA(s.mainButton, Setting(16).c_str());
  EnableWindow(s.mainButton, TRUE);
  EnableWindow(s.cancelButton, FALSE);
  SetFocus(s.mainButton);
}

void RunRemovalFromWindow() {
  TUninstallWindow& s = State();
  TRemovalTexts texts{Setting(8), Setting(10), Setting(13)};
  TRemovalHooks hooks;
  hooks.status = [&s](const std::string& text) { SetWindowTextA(s.status, text.c_str()); };
  hooks.stepped = [&s] { SendMessageA(s.bar, PBM_SETPOS, WPARAM(++s.position), 0); };
  hooks.stopRequested = [&s] { return s.stopRequested; };
  s.result = RunRemoval(*s.plan, texts, *s.self, hooks);
  s.exitCode = ExitCodeOf(s.result);
  if (s.result.end == TRemovalEnd::Stopped) End(s.exitCode);
  else ShowCompletion();
}

void StartClicked() {
  TUninstallWindow& s = State();
  s.phase = TPhase::Working;
  ShowWindow(s.confirmPanel, SW_HIDE);
  ShowWindow(s.progressPanel, SW_SHOW);
  EnableWindow(s.mainButton, FALSE);
  SetFocus(s.cancelButton);
  // Run right here, not from a posted message: a close request must find
  // the removal running below it, never run it inside its own question.
  RunRemovalFromWindow();
}

// A monitor of another DPI: the fonts made again, everything laid out anew.
void RenewFonts(HWND window, int) {
  TUninstallWindow& s = State();
  TFont font = CreateLayoutFont(window, "Tahoma", 11), bold = CreateLayoutFont(window, "Tahoma", 11, FW_BOLD);
  ReplaceFont(window, s.font.Get(), font.Get());
  ReplaceFont(window, s.boldFont.Get(), bold.Get());
  s.font = std::move(font);
  s.boldFont = std::move(bold);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TUninstallWindow& s = State();
  switch (message) {
    case WM_CLOSE:
      CloseRequested();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(s.exitCode);
      return 0;
    case DM_GETDEFID:
      return MAKELONG(kMainButton, DC_HASDEFID);
    case WM_DPICHANGED:
      FollowDpiChange(window, wParam, lParam, RenewFonts);
      return 0;
    case WM_GETFONT:
      // CreateChild gives each control the font its top window reports;
      // a plain window keeps none of its own.
      return reinterpret_cast<LRESULT>(s.font.Get());
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        PostMessageA(window, WM_CLOSE, 0, 0);
      } else if (LOWORD(wParam) == kMainButton) {
        if (s.phase == TPhase::Confirm) {
          StartClicked();
        } else if (s.phase == TPhase::Done) {
          // Only Finish restarts: closing the window never does.
          s.restartChosen = s.restartNow && IsChecked(s.restartNow);
          End(s.exitCode);
        }
      }
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateFrame() {
  RegisterWindowClass(kClassName, WindowProc);
  return CreateCentredWindow(kClassName, Setting(3).c_str(), kStyle, WS_EX_CONTROLPARENT | WS_EX_APPWINDOW,
                             kClientWidth, kClientHeight, nullptr);
}

THeaderStyle HeaderStyle(bool havePicture) {
  THeaderStyle style;
  style.gradientStart = ColourFromSetting(Setting(19));
  style.bandColour = ColourFromSetting(Setting(20));
  style.transparent = TextFlag(Setting(21));
  style.picturePlace = {TextInt(Setting(22)), TextInt(Setting(23))};
  style.picture = havePicture && TextFlag(Setting(31));
  style.gradient = TextFlag(Setting(32));
  style.titlePlace = {TextInt(Setting(48)), TextInt(Setting(49))};
  style.subtitlePlace = {TextInt(Setting(50)), TextInt(Setting(51))};
  return style;
}

// The branding text at the bottom left, greyed, with an etched line from
// its end to near the right edge.
void CreateBranding(HWND window) {
  const std::string text = Setting(17);
  if (text.empty()) return;
  HWND label = CreateChild(window, "STATIC", text.c_str(), WS_VISIBLE | WS_DISABLED | SS_LEFTNOWORDWRAP | SS_NOPREFIX,
                           12, 307, 1, 14);
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  const int width = std::min(Unscaled(window, int(size.cx)), 440);
  SizeTo(label, width, 14);
  CreateChild(window, "STATIC", "", WS_VISIBLE | SS_ETCHEDHORZ, 12 + width + 4, 314, 485 - (12 + width + 4), 2);
}

void CreatePages(HWND window, int total) {
  TUninstallWindow& s = State();
  s.confirmPanel = CreateChild(window, "STATIC", "", WS_VISIBLE | WS_CLIPCHILDREN, 0, 60, 495, 245);
  CreateChild(s.confirmPanel, "STATIC", Setting(0).c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 22, 16, 452, 57);
  CreateChild(s.confirmPanel, "STATIC", Setting(2).c_str(), WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 22, 90,
              452, 14);
  CreateChild(s.confirmPanel, "EDIT", Setting(18).c_str(), WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL, 22, 108, 452,
              21, 0, WS_EX_CLIENTEDGE);

  // A control parent, so that Tab and the arrows reach the restart question.
  s.progressPanel = CreateChild(window, "STATIC", "", WS_CLIPCHILDREN, 0, 60, 495, 245, 0, WS_EX_CONTROLPARENT);
  s.heading = CreateChild(s.progressPanel, "STATIC", Setting(9).c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 22, 16,
                          452, 57);
  s.status = CreateChild(s.progressPanel, "STATIC", "", WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 22, 186, 452, 14);
  s.bar = CreateChild(s.progressPanel, PROGRESS_CLASSA, "", WS_VISIBLE | PBS_SMOOTH, 22, 208, 452, 18);
  SendMessageA(s.bar, PBM_SETRANGE32, 0, total);
}

void CreateButtons(HWND window) {
  TUninstallWindow& s = State();
  s.mainButton = CreateChild(window, "BUTTON", Setting(1).c_str(), WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 324,
                             327, 75, 23, kMainButton);
  s.cancelButton = CreateChild(window, "BUTTON", Setting(15).c_str(), WS_VISIBLE | WS_TABSTOP, 410, 327, 75, 23,
                               IDCANCEL);
}

int RunMessageLoop(HWND window) {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsWindow(window) && IsDialogMessageA(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return int(message.wParam);
}

}  // namespace

int RunUninstallWindow(const TUninstallLog& log, const std::vector<uint8_t>& picture,
                       const std::vector<TRemovalStep>& plan, TSelfRelocation& self) {
  INITCOMMONCONTROLSEX common = {sizeof common, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);
  TUninstallWindow& s = State();
  s.log = &log;
  s.plan = &plan;
  s.self = &self;

  HWND window = CreateFrame();
  if (!window) return kExitUserCancelled;
  s.window = window;
  s.font = CreateLayoutFont(window, "Tahoma", 11);
  s.boldFont = CreateLayoutFont(window, "Tahoma", 11, FW_BOLD);

  // The log's step total counts some records that leave nothing to undo;
  // the bar still fills completely at the end.
  const int total = std::max(TextInt(Setting(47)), int(plan.size()));
  CreateButtons(window);
  s.header = CreateHeaderBand(window, HeaderStyle(!picture.empty()), picture, s.boldFont.Get());
  SetHeaderTexts(s.header, Setting(3), Setting(4));
  CreateBranding(window);
  CreatePages(window, total);

  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  SetForegroundWindow(window);
  SetFocus(s.mainButton);
  const int exitCode = RunMessageLoop(window);
  if (s.restartChosen) RestartWindows();
  return exitCode;
}
