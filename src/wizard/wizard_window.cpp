#include "wizard/wizard_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "archive/setup_script.h"
#include "startup/application_window.h"
#include "startup/background_window.h"
#include "startup/command_line.h"
#include "startup/resource_dispatch.h"
#include "toolkit/common_controls.h"
#include "toolkit/controls.h"
#include "toolkit/drawing.h"
#include "toolkit/gdi_object.h"
#include "toolkit/header_band.h"
#include "toolkit/layout_scale.h"
#include "toolkit/message_pump.h"
#include "toolkit/top_window.h"
#include "wizard/page_sequence.h"
#include "wizard/wizard_pages.h"

namespace {

const char kClassName[] = "VelmoraSetupWizard";
const int kClientWidth = 495, kClientHeight = 359;
const DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

TWizardControls g_controls;
TFont g_font, g_boldFont;
TWizardHandlers g_handlers;

// The fonts made again for the window's new DPI; every control that had an
// old one gets its new form.
void RenewFonts(HWND window, int) {
  TFont font = CreateLayoutFont(window, "Tahoma", 11), bold = CreateLayoutFont(window, "Tahoma", 11, FW_BOLD);
  ReplaceFont(window, g_font.Get(), font.Get());
  ReplaceFont(window, g_boldFont.Get(), bold.Get());
  g_font = std::move(font);
  g_boldFont = std::move(bold);
  if (g_controls.welcomeTitle) SetPageFonts(g_controls);
}

void Call(void (*handler)()) {
  if (handler) handler();
}

// Minimize hides the background; restore (or the application coming back
// while the background is hidden) shows it again behind the wizard.
void BringBackBackground(HWND window) {
  if (!BackgroundWanted() || !IsWindowVisible(window)) return;  // a hidden (silent) wizard takes nothing
  ShowWindow(BackgroundWindow(), SW_SHOWNOACTIVATE);
  SetForegroundWindow(window);
}

void Command(HWND window, WORD id, WORD code) {
  switch (id) {
    case IDCANCEL:  // Cancel and Esc: a close request like any other
      PostMessageA(window, WM_CLOSE, 0, 0);
      return;
    case IDOK:  // Enter outside a button
    case kNextButton:
      if (IsWindowEnabled(g_controls.next) && IsWindowVisible(g_controls.next)) Call(g_handlers.next);
      return;
    case kBackButton:
      Call(g_handlers.back);
      return;
    case kBrowseButton:
      Call(g_handlers.browse);
      return;
    case kFolderEdit:
      if (code == EN_CHANGE) Call(g_handlers.folderChanged);
      return;
    case kGroupEdit:
      if (code == EN_CHANGE) Call(g_handlers.groupChanged);
      return;
    case kNoShortcutsBox:
      if (code == BN_CLICKED) Call(g_handlers.noShortcuts);
      return;
  }
}

LRESULT Notify(const NMHDR& header) {
  if (header.idFrom == kGroupList && (header.code == NM_CLICK || header.code == LVN_ITEMCHANGED))
    Call(g_handlers.groupListClicked);
  return 0;
}

LRESULT CALLBACK WizardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      Call(g_handlers.closeRequested);
      return 0;
    case WM_DPICHANGED:  // moved to a monitor of another DPI
      FollowDpiChange(window, wParam, lParam, RenewFonts);
      return 0;
    case DM_GETDEFID:
      return MAKELONG(kNextButton, DC_HASDEFID);
    case WM_GETFONT:  // the font every control of the wizard takes
      return reinterpret_cast<LRESULT>(g_font.Get());
    case WM_COMMAND:
      Command(window, LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return Notify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) ShowWindow(BackgroundWindow(), SW_HIDE);
      if ((wParam & 0xFFF0) == SC_RESTORE) {
        LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        BringBackBackground(window);
        return result;
      }
      break;
    case WM_ACTIVATEAPP:
      if (wParam && !IsWindowVisible(BackgroundWindow())) BringBackBackground(window);
      break;
    case WM_CTLCOLORSTATIC:  // the branding text: grey, over the dialog face
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      if (!IsWindowEnabled(reinterpret_cast<HWND>(lParam)))
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_GRAYTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateFrame() {
  RegisterWindowClass(kClassName, WizardProc);
  return CreateCentredWindow(kClassName, "*", kStyle, WS_EX_CONTROLPARENT, kClientWidth, kClientHeight,
                             ApplicationWindow());
}

COLORREF FieldColour(int field) { return ResolveColour(uint32_t(FieldInt(field))); }

// The band of the inner pages: colour field 70, a gradient from field 60
// when field 66 is set, the header picture at (field 81, field 80) when field
// 49 is set (its pixel (0, 0) see-through with field 71), and the title and
// subtitle at the places fields 69, 72, 73 and 78 give.
HWND CreateHeader(HWND window) {
  THeaderStyle style;
  style.bandColour = FieldColour(70);
  style.gradient = FieldFlag(66);
  style.gradientStart = FieldColour(60);
  style.picture = FieldFlag(49);
  style.transparent = FieldFlag(71);
  style.picturePlace = POINT{FieldInt(81), FieldInt(80)};
  style.titlePlace = POINT{FieldInt(69), FieldInt(72)};
  style.subtitlePlace = POINT{FieldInt(73), FieldInt(78)};
  const std::string& file = Pictures().headerFile;
  HWND header = CreateHeaderBand(window, style, std::vector<uint8_t>(file.begin(), file.end()), g_boldFont.Get());
  ShowWindow(header, SW_HIDE);
  return header;
}

void CreateFrameControls(TWizardControls& c) {
  c.branding = CreateChild(c.window, "STATIC", "", WS_DISABLED | SS_LEFT | SS_NOPREFIX, 12, 307, 0, 13);
  c.back = CreateChild(c.window, "BUTTON", "", WS_VISIBLE | WS_DISABLED | WS_TABSTOP, 249, 327, 75, 23, kBackButton);
  c.next = CreateChild(c.window, "BUTTON", "", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 324, 327, 75, 23, kNextButton);
  c.cancel = CreateChild(c.window, "BUTTON", "", WS_VISIBLE | WS_TABSTOP, 410, 327, 75, 23, IDCANCEL);
  c.header = CreateHeader(c.window);
  c.brandingLine = CreateChild(c.window, "STATIC", "", SS_ETCHEDHORZ, 12, 314, 473, 2);
}

}  // namespace

HWND WizardWindow() { return g_controls.window; }

TWizardControls& WizardControls() { return g_controls; }

HWND PanelOfPage(int page) {
  const TWizardControls& c = g_controls;
  switch (page) {
    case kPageWelcome:
    case kPageFinish:
      return c.welcomePanel;
    case kPageLicence:
      return c.licencePanel;
    case kPageInformation:
      return c.informationPanel;
    case kPageDestination:
      return c.destinationPanel;
    case kPageStartMenu:
      return c.startMenuPanel;
    case kPageShortcuts:
      return c.shortcutsPanel;
    case kPageReady:
      return c.readyPanel;
    case kPageProgress:
      return c.progressPanel;
  }
  return nullptr;
}

void CreateWizardWindow() {
  InitCommonControlClasses(ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES);
  g_font = CreateLayoutFont(nullptr, "Tahoma", 11);
  g_boldFont = CreateLayoutFont(nullptr, "Tahoma", 11, FW_BOLD);
  g_controls = TWizardControls();
  g_controls.window = CreateFrame();
  CreateFrameControls(g_controls);
  CreatePages(g_controls);
  SetForegroundTarget(g_controls.window);
  SetKeyboardDialog(g_controls.window);
}

void SetWizardHandlers(const TWizardHandlers& handlers) { g_handlers = handlers; }

void CreateHiddenFrame() {
  g_controls = TWizardControls();
  g_controls.window = CreateFrame();
  SetWindowTextA(g_controls.window, ApplicationTitle().c_str());
}
