#include "wizard/wizard_window.h"

#include <commctrl.h>

#include "startup/application_window.h"
#include "toolkit/controls.h"
#include "toolkit/gdi_object.h"
#include "toolkit/top_window.h"
#include "wizard/navigation.h"

namespace {

const char kClassName[] = "VelmoraSetupWizard";
const int kClientWidth = 495, kClientHeight = 359;
const DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
enum { kBackButton = 10, kNextButton = 11 };

TWizardControls g_controls;
TFont g_font;

LRESULT CALLBACK WizardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      CloseRequested();
      return 0;
    case DM_GETDEFID:
      return MAKELONG(kNextButton, DC_HASDEFID);
    case WM_GETFONT:  // the font every control of the wizard takes
      return reinterpret_cast<LRESULT>(g_font.Get());
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) PostMessageA(window, WM_CLOSE, 0, 0);
      else if (LOWORD(wParam) == kNextButton) NextClicked();
      else if (LOWORD(wParam) == kBackButton) BackClicked();
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateFrame() {
  RegisterWindowClass(kClassName, WizardProc);
  return CreateCentredWindow(kClassName, "*", kStyle, WS_EX_CONTROLPARENT, kClientWidth, kClientHeight,
                             ApplicationWindow());
}

void CreateButtons(HWND window) {
  g_controls.back = CreateChild(window, "BUTTON", "", WS_VISIBLE | WS_DISABLED | WS_TABSTOP, 249, 327, 75, 23, kBackButton);
  g_controls.next = CreateChild(window, "BUTTON", "", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 324, 327, 75, 23, kNextButton);
  g_controls.cancel = CreateChild(window, "BUTTON", "", WS_VISIBLE | WS_TABSTOP, 410, 327, 75, 23, IDCANCEL);
}

// The Progress page: heading, status line and a smooth progress bar.
void CreateProgressPage(HWND window) {
  HWND panel = CreateChild(window, "STATIC", "", WS_CLIPCHILDREN, 0, 60, 495, 245);
  g_controls.progressPanel = panel;
  g_controls.progressHeading = CreateChild(panel, "STATIC", "", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 22, 16, 452, 57);
  g_controls.statusLine = CreateChild(panel, "STATIC", "", WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 22, 186, 452, 14);
  g_controls.progressBar = CreateChild(panel, PROGRESS_CLASSA, "", WS_VISIBLE | PBS_SMOOTH, 22, 208, 452, 18);
}

HWND CreatePanel(HWND window) { return CreateChild(window, "STATIC", "", WS_CLIPCHILDREN | SS_NOTIFY, 0, 60, 495, 245); }

HWND CreateCheckBox(HWND panel, int x, int y, bool checked) {
  HWND box = CreateChild(panel, "BUTTON", "", BS_AUTOCHECKBOX | WS_TABSTOP, x, y, 400, 17);
  SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  return box;
}

// The Start Menu page: instruction, group name, existing groups, and the
// do-not-create-shortcuts check box.
void CreateStartMenuPage(HWND window) {
  HWND panel = CreatePanel(window);
  g_controls.startMenuPanel = panel;
  g_controls.startMenuInstruction = CreateChild(panel, "STATIC", "", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 22, 12, 452, 35);
  g_controls.groupEdit = CreateChild(panel, "EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 22, 56, 452, 21, 0,
                                     WS_EX_CLIENTEDGE);
  g_controls.groupList = CreateChild(panel, WC_LISTVIEWA, "",
                                     WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL, 22, 80,
                                     452, 138, 0, WS_EX_CLIENTEDGE);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = 400;
  SendMessageA(g_controls.groupList, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  g_controls.noShortcuts = CreateCheckBox(panel, 22, 224, false);
  ShowWindow(g_controls.noShortcuts, SW_SHOW);
}

// The Shortcuts page: instruction and three check boxes, hidden and checked
// until the script says which it offers.
void CreateShortcutsPage(HWND window) {
  HWND panel = CreatePanel(window);
  g_controls.shortcutsPanel = panel;
  g_controls.shortcutsInstruction = CreateChild(panel, "STATIC", "", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 112, 16, 360, 72);
  g_controls.desktopCheck = CreateCheckBox(panel, 22, 128, true);
  g_controls.startMenuCheck = CreateCheckBox(panel, 22, 152, true);
  g_controls.quickLaunchCheck = CreateCheckBox(panel, 22, 176, true);
}

bool Checked(HWND box) { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::string WindowText(HWND window) {
  std::string text(size_t(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(size_t(GetWindowTextA(window, &text[0], int(text.size()))));
  return text;
}

}  // namespace

HWND WizardWindow() { return g_controls.window; }

TShortcutChoices ReadShortcutChoices() {
  TShortcutChoices choices;
  if (!g_controls.window) return choices;
  choices.noShortcuts = Checked(g_controls.noShortcuts);
  choices.desktop = Checked(g_controls.desktopCheck);
  choices.startMenu = Checked(g_controls.startMenuCheck);
  choices.quickLaunch = Checked(g_controls.quickLaunchCheck);
  choices.group = WindowText(g_controls.groupEdit);
  return choices;
}

const TWizardControls& WizardControls() { return g_controls; }

void CreateWizardWindow() {
  INITCOMMONCONTROLSEX common = {sizeof common, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&common);
  g_font = CreatePixelFont("Tahoma", 11);
  HWND window = CreateFrame();
  g_controls.window = window;
  CreateButtons(window);
  CreateStartMenuPage(window);
  CreateShortcutsPage(window);
  CreateProgressPage(window);
}

void BuildWizard() {
  CreateWizardWindow();
  BuildPageSequence();
}
