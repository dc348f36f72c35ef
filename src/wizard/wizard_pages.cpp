#include "wizard/wizard_pages.h"

#include <commctrl.h>

#include "archive/setup_script.h"
#include "lang/folders.h"
#include "startup/resource_dispatch.h"
#include "toolkit/controls.h"
#include "toolkit/find_handle.h"
#include "toolkit/gdi_object.h"
#include "toolkit/layout_scale.h"
#include "toolkit/panel.h"
#include "toolkit/picture_box.h"
#include "toolkit/rich_viewer.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

TFont g_welcomeFont;

HWND Label(HWND parent, int x, int y, int width, int height) {
  return CreateChild(parent, "STATIC", "", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, x, y, width, height);
}

HWND CheckBox(HWND parent, int x, int y, bool visible, bool checked, int id = 0) {
  HWND box = CreateChild(parent, "BUTTON", "", (visible ? WS_VISIBLE : 0) | WS_TABSTOP | BS_AUTOCHECKBOX, x, y, 100, 17, id);
  SetChecked(box, checked);
  return box;
}

HWND InnerPanel(HWND window) { return CreatePanel(window, 0, 60, 495, 245, GetSysColor(COLOR_BTNFACE)); }

POINT FieldPoint(int xField, int yField) { return POINT{FieldInt(xField), FieldInt(yField)}; }

void CreateWelcomePanel(TWizardControls& c) {
  HWND panel = CreatePanel(c.window, 0, 0, 497, 316, kWhite);
  c.welcomePanel = panel;
  c.sidePicture = CreatePictureBox(panel, 0, 0, 164, 314, Pictures().side.Handle(), FieldPoint(83, 82),
                                   FieldFlag(77) ? TTransparency::CornerPixel : TTransparency::Opaque, kWhite);
  c.welcomeTitle = Label(panel, 176, 16, 300, 56);
  SetPageFonts(c);
  c.welcomeText = Label(panel, 176, 80, 300, 210);
  CreatePanel(panel, 0, 314, 497, 1, GetSysColor(COLOR_APPWORKSPACE), true);
  c.launchBox = CheckBox(panel, 176, 152, false, false);
  c.readmeBox = CheckBox(panel, 176, 176, false, false);
  c.websiteBox = CheckBox(panel, 176, 198, false, false);
  c.restartNow = CreateChild(panel, "BUTTON", "", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 176, 152, 100, 17);
  c.restartLater = CreateChild(panel, "BUTTON", "", BS_AUTORADIOBUTTON, 176, 176, 100, 17);
  SetChecked(c.restartNow, true);
}

// The Licence and Information pages: an instruction over a document.
void CreateDocumentPage(HWND window, HWND& panel, HWND& instruction, HWND& viewer) {
  panel = InnerPanel(window);
  instruction = Label(panel, 22, 12, 452, 41);
  viewer = CreateRichViewer(panel, 22, 56, 452, 178, GetSysColor(COLOR_WINDOW), false);
}

// The folder frame is a panel holding the group box, the edit box and Browse,
// so that the two controls sit at their places inside the frame.
void CreateDestinationPage(TWizardControls& c) {
  HWND panel = InnerPanel(c.window);
  c.destinationPanel = panel;
  c.destinationInstruction = Label(panel, 112, 16, 360, 81);
  c.destinationPicture = CreatePictureBox(panel, 32, 32, 48, 48, Pictures().destination.Handle(), POINT{0, 0},
                                          TTransparency::Black, GetSysColor(COLOR_BTNFACE));
  c.folderFrame = CreatePanel(panel, 22, 128, 452, 59, GetSysColor(COLOR_BTNFACE), true);
  c.folderFrameBox = CreateChild(c.folderFrame, "BUTTON", "", WS_VISIBLE | BS_GROUPBOX, 0, 0, 452, 59);
  c.folderEdit = CreateChild(c.folderFrame, "EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 16, 22, 329, 21,
                             kFolderEdit, WS_EX_CLIENTEDGE);
  c.browse = CreateChild(c.folderFrame, "BUTTON", "", WS_VISIBLE | WS_TABSTOP, 360, 21, 75, 23, kBrowseButton);
}

void CreateStartMenuPage(TWizardControls& c) {
  HWND panel = InnerPanel(c.window);
  c.startMenuPanel = panel;
  c.startMenuInstruction = Label(panel, 22, 12, 452, 35);
  c.groupEdit = CreateChild(panel, "EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 22, 56, 452, 21, kGroupEdit,
                            WS_EX_CLIENTEDGE);
  c.groupList = CreateChild(panel, WC_LISTVIEWA, "",
                            WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                            22, 80, 452, 138, kGroupList, WS_EX_CLIENTEDGE);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = 400;
  SendMessageA(c.groupList, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  c.noShortcuts = CheckBox(panel, 22, 224, true, false, kNoShortcutsBox);
}

void CreateShortcutsPage(TWizardControls& c) {
  HWND panel = InnerPanel(c.window);
  c.shortcutsPanel = panel;
  c.shortcutsInstruction = Label(panel, 112, 16, 360, 72);
  c.shortcutsPicture = CreatePictureBox(panel, 32, 32, 48, 48, Pictures().shortcuts.Handle(), POINT{0, 0},
                                        TTransparency::Black, GetSysColor(COLOR_BTNFACE));
  c.desktopCheck = CheckBox(panel, 22, 128, false, true);
  c.startMenuCheck = CheckBox(panel, 22, 152, false, true);
  c.quickLaunchCheck = CheckBox(panel, 22, 176, false, true);
}

void CreateReadyPage(TWizardControls& c) {
  c.readyPanel = InnerPanel(c.window);
  c.readyInstruction = Label(c.readyPanel, 22, 12, 452, 41);
  c.summaryViewer = CreateRichViewer(c.readyPanel, 22, 56, 452, 178, GetSysColor(COLOR_BTNFACE), true);
}

void CreateProgressPage(TWizardControls& c) {
  HWND panel = InnerPanel(c.window);
  c.progressPanel = panel;
  c.progressHeading = Label(panel, 22, 16, 452, 57);
  c.statusLine = CreateChild(panel, "STATIC", "", WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 22, 186, 452, 14);
  c.progressBar = CreateChild(panel, PROGRESS_CLASSA, "", WS_VISIBLE | PBS_SMOOTH, 22, 208, 452, 18);
}

}  // namespace

void SetPageFonts(TWizardControls& c) {
  TFont font = CreateLayoutFontA(c.window, "Verdana", 19, FW_BOLD);
  SetWindowFont(c.welcomeTitle, font.Get());
  g_welcomeFont = std::move(font);
}

void CreatePages(TWizardControls& c) {
  CreateWelcomePanel(c);
  CreateDocumentPage(c.window, c.licencePanel, c.licenceInstruction, c.licenceViewer);
  CreateDocumentPage(c.window, c.informationPanel, c.informationInstruction, c.informationViewer);
  CreateDestinationPage(c);
  CreateStartMenuPage(c);
  CreateShortcutsPage(c);
  CreateReadyPage(c);
  CreateProgressPage(c);
}

void CompactFinishBoxes(TWizardControls& c, int top) {
  const bool launch = IsShown(c.launchBox), readme = IsShown(c.readmeBox);
  MoveTo(c.launchBox, 176, top);
  MoveTo(c.readmeBox, 176, launch ? top + 24 : top);
  MoveTo(c.websiteBox, 176, launch && readme ? top + 46 : (launch || readme ? top + 24 : top));
  MoveTo(c.restartNow, 176, top);
  MoveTo(c.restartLater, 176, top + 24);
}

void CompactShortcutBoxes(TWizardControls& c) {
  const bool desktop = IsShown(c.desktopCheck), startMenu = IsShown(c.startMenuCheck);
  int startMenuTop = RectInParent(c.startMenuCheck).top;
  if (!desktop) MoveTo(c.startMenuCheck, 22, startMenuTop = 128);
  if (!startMenu) MoveTo(c.quickLaunchCheck, 22, startMenuTop);
  if (!desktop && startMenu) MoveTo(c.quickLaunchCheck, 22, 152);
}

void FillGroupList(HWND list) {
  WIN32_FIND_DATAA entry;
  const std::string pattern = FolderForCode(8) + "\\*.*";
  TFindHandle search(FindFirstFileA(pattern.c_str(), &entry));
  if (!search) return;
  int index = 0;
  do {
    const std::string name = entry.cFileName;
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == "..") continue;
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index++;
    item.pszText = &entry.cFileName[0];
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  } while (FindNextFileA(search.Get(), &entry));
}
