#include "wizard/navigation.h"

#include <windows.h>
#include <commctrl.h>

#include "archive/setup_script.h"
#include "engine/choice_check.h"
#include "engine/installation.h"
#include "engine/stop_request.h"
#include "lang/browse_folder.h"
#include "lang/browse_rules.h"
#include "lang/finish_actions.h"
#include "lang/folders.h"
#include "lang/language_choice.h"
#include "lang/messages.h"
#include "lang/path_constants.h"
#include "startup/application_window.h"
#include "startup/background_window.h"
#include "startup/command_line.h"
#include "startup/exit_codes.h"
#include "startup/setup_end.h"
#include "startup/temp_folder.h"
#include "toolkit/controls.h"
#include "toolkit/layout_scale.h"
#include "toolkit/header_band.h"
#include "toolkit/message_pump.h"
#include "toolkit/panel.h"
#include "toolkit/rich_viewer.h"
#include "toolkit/run_log.h"
#include "wizard/page_sequence.h"
#include "wizard/startup_notice.h"
#include "wizard/summary.h"
#include "wizard/wizard_pages.h"
#include "wizard/wizard_window.h"

namespace {

const int kCheckMark = 20;  // room for the box or circle before a caption

TWizardControls& C() { return WizardControls(); }

uint8_t PageAt(size_t position) {
  const TNavigation& n = Navigation();
  return position < n.sequence.size() ? n.sequence[position] : uint8_t(kPageDone);
}

uint8_t CurrentPage() { return PageAt(Navigation().position); }

void SetText(HWND control, int message) { SetWindowTextA(control, MessageText(message).c_str()); }

void SetCaption(HWND box, int message) {
  SetWindowTextA(box, EscapeAmpersand(MessageText(message)).c_str());
  FitToText(box, kCheckMark);
}

void Show(HWND control, bool visible) { ShowWindow(control, visible ? SW_SHOW : SW_HIDE); }

// Critical-error boxes ("no disk in drive") stay away while a drive is probed.
class TQuietErrors {
public:
  TQuietErrors() : old_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~TQuietErrors() { SetErrorMode(old_); }

private:
  UINT old_;
};

std::string DriveRoot(const std::string& folder) { return folder.substr(0, 1) + ":\\"; }

// Free bytes of the folder's drive; 0 when the drive cannot be asked.
uint64_t FreeSpace(const std::string& folder) {
  ULARGE_INTEGER available, total, free;
  if (!GetDiskFreeSpaceExA(DriveRoot(folder).c_str(), &available, &total, &free)) return 0;
  return free.QuadPart;
}

void PlaceBrandingLine() {
  const TWizardControls& c = C();
  RECT outer, text = RectInParent(c.branding);
  GetWindowRect(c.window, &outer);
  const int outerWidth = MulDiv(outer.right - outer.left, kBaseDpi, LayoutDpi(c.window));
  const int end = text.right, width = outerWidth - end - 20;
  PlaceChild(c.brandingLine, {end, 314, end + (width > 0 ? width : 0), 316});
}

void ShowFrameFor(uint8_t page) {
  const TWizardControls& c = C();
  const bool inner = IsInnerPage(page);
  for (HWND control : {c.header, c.back, c.branding, c.brandingLine}) Show(control, inner);
  EnableWindow(c.back, Navigation().position > 0);
  if (inner) PlaceBrandingLine();
  if (page >= kPageDone) return;
  HWND shown = PanelOfPage(page);
  for (int p = 0; p < kPageDone; ++p)
    if (PanelOfPage(p) && PanelOfPage(p) != shown) Show(PanelOfPage(p), false);
  Show(shown, true);
}

void SetHeader(int title, int subtitle) {
  SetHeaderTexts(C().header, MessageText(title), MessageText(subtitle));
}

std::string SummaryText() {
  const TWizardControls& c = C();
  TSummary s;
  s.folderHeading = MessageText(43);
  s.folder = WindowText(c.folderEdit);
  s.showGroup = FieldFlag(86) && !IsChecked(c.noShortcuts);
  s.groupHeading = MessageText(44);
  s.group = WindowText(c.groupEdit);
  s.shortcutsHeading = MessageText(45);
  if (FieldFlag(22)) {
    int message = 31;
    for (HWND box : {c.desktopCheck, c.startMenuCheck, c.quickLaunchCheck})
      s.shortcuts.push_back({IsChecked(box) && IsShown(box), MessageText(message++)});
  }
  return ComposeSummary(s);
}

// Whether the file a header field names (a finish action's) is there. A
// bare name ("notepad.exe") is found by Windows' own search: taken as there.
bool FieldFileExists(int field) {
  const std::string path = ExpandPathConstants(FieldText(field));
  if (path.find('\\') == std::string::npos) return true;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The Finish page's text when items could not be installed: how many, the
// first few, and the log that names them all. The script has no wording for
// it, so it is the program's own English.
std::string FailuresText() {
  std::string text = std::to_string(FailureCount()) + " item(s) could not be installed:";
  for (const std::string& item : FirstFailures()) text += "\r\n    " + item;
  if (FailureCount() > int(FirstFailures().size()))
    text += "\r\n    and " + std::to_string(FailureCount() - int(FirstFailures().size())) + " more";
  text += RunLogPath().empty() ? "\r\nRun the setup with /LOG= for the full list."
                               : "\r\nThe log " + RunLogPath() + " names them all.";
  return text;
}

void SetUpFinishPage() {
  TWizardControls& c = C();
  // An action whose file was not installed is not offered.
  Show(c.launchBox, FieldFlag(39) && FieldFileExists(43));
  Show(c.readmeBox, FieldFlag(79) && FieldFileExists(47));
  Show(c.websiteBox, FieldFlag(36));
  // A file in use is only replaced at the next start: the restart is offered.
  const bool restart = FieldFlag(52) || RestartPendingCount() > 0;
  if (restart) {
    SetCaption(c.restartNow, 66);
    SetCaption(c.restartLater, 67);
    Show(c.restartNow, true);
    Show(c.restartLater, true);
  }
  SetText(c.welcomeText, restart ? 79 : 7);
  SetText(c.welcomeTitle, 6);
  // With failures their account takes the place of the success text (a
  // restart question follows it), and the boxes move down below it.
  const bool failed = FailureCount() > 0;
  if (failed)
    SetWindowTextA(c.welcomeText,
                   (FailuresText() + (restart ? "\r\n\r\n" + WindowText(c.welcomeText) : std::string())).c_str());
  const int height = failed ? 160 : 65;
  RECT text = RectInParent(c.welcomeText);
  SizeTo(c.welcomeText, text.right - text.left, height);
  CompactFinishBoxes(c, failed ? int(text.top) + height + 8 : 152);
  EnableWindow(c.next, TRUE);
  SetFocus(c.next);
  EnableWindow(c.cancel, FALSE);
  Show(c.branding, false);
}

// The windows go first, so that what the actions start comes to the front.
[[noreturn]] void Finish() {
  const TWizardControls& c = C();
  ShowWindow(BackgroundWindow(), SW_HIDE);
  ShowWindow(c.window, SW_HIDE);
  ShowWindow(ApplicationWindow(), SW_HIDE);
  TFinishChoices choices;
  choices.launch = IsChecked(c.launchBox) && IsShown(c.launchBox);
  choices.readme = IsChecked(c.readmeBox) && IsShown(c.readmeBox);
  choices.website = IsChecked(c.websiteBox);
  choices.restartNow = IsChecked(c.restartNow);
  RunFinishActions(choices);
  EndSetup(CompletedExitCode());
}

void (*g_install)() = nullptr;

void RunProgressPage() {
  const TWizardControls& c = C();
  SetText(c.progressHeading, 5);
  EnableWindow(c.next, FALSE);
  EnableWindow(c.back, FALSE);
  PumpWindowMessages();
  if (g_install) g_install();
  PumpWindowMessages();
  ++Navigation().position;
  ShowCurrentPage();
}

// The first control of the page that takes the keyboard, else Next.
void FocusFirstControl(uint8_t page) {
  HWND panel = PanelOfPage(page);
  HWND first = panel ? GetNextDlgTabItem(panel, nullptr, FALSE) : nullptr;
  if (first && IsChild(panel, first) && IsWindowEnabled(first) && IsWindowVisible(first)) SetFocus(first);
  else if (IsWindowEnabled(C().next)) SetFocus(C().next);
}

void FillTexts() {
  TWizardControls& c = C();
  if (FieldFlag(111)) {
    SetText(c.welcomeTitle, 1);
    SetText(c.welcomeText, 2);
  }
  const TLanguageState& language = LanguageState();
  if (FieldFlag(30)) {
    SetText(c.licenceInstruction, 18);
    LoadDocumentFile(c.licenceViewer, TemporaryFileName(language.licenceText));
  }
  if (FieldFlag(84)) {
    SetText(c.informationInstruction, 82);
    LoadDocumentFile(c.informationViewer, TemporaryFileName(language.informationText));
  }
  if (FieldFlag(112)) {
    SetText(c.folderFrameBox, 29);
    SetText(c.destinationInstruction, 3);
  }
  if (FieldFlag(86)) {
    if (FieldFlag(113)) {
      SetCaption(c.noShortcuts, 28);
      SetText(c.startMenuInstruction, 19);
      FillGroupList(c.groupList);
    }
    SetWindowTextA(c.groupEdit, ExpandPathConstants(FieldText(106)).c_str());
  }
  if (FieldFlag(22)) {
    Show(c.desktopCheck, FieldFlag(88));
    Show(c.startMenuCheck, FieldFlag(89));
    Show(c.quickLaunchCheck, FieldFlag(90) && !FolderForCode(7).empty());
    if (FieldFlag(114)) {
      SetText(c.shortcutsInstruction, 50);
      SetCaption(c.desktopCheck, 31);
      SetCaption(c.startMenuCheck, 32);
      SetCaption(c.quickLaunchCheck, 33);
      CompactShortcutBoxes(c);
    }
  }
  if (FieldFlag(115)) SetText(c.readyInstruction, 4);
}

void DisableStartMenuPage() {
  const TWizardControls& c = C();
  for (HWND control : {c.startMenuInstruction, c.groupEdit, c.groupList, c.noShortcuts}) EnableWindow(control, FALSE);
  SendMessageA(c.groupList, LVM_SETTEXTCOLOR, 0, LPARAM(RGB(0x80, 0x80, 0x80)));
}

void SetFrameTexts() {
  TWizardControls& c = C();
  if (!FieldFlag(63)) {
    Show(c.sidePicture, false);
    for (HWND label : {c.welcomeTitle, c.welcomeText}) {
      RECT r = RectInParent(label);
      PlaceChild(label, {20, r.top, 420, r.bottom});
    }
  }
  if (FieldFlag(76)) {
    EnableWindow(c.folderEdit, FALSE);
    EnableWindow(c.browse, FALSE);
  }
  if (FieldFlag(109)) DisableStartMenuPage();
  SetText(c.browse, 27);
  SetCaption(c.launchBox, 20);
  SetChecked(c.launchBox, FieldFlag(44));
  SetCaption(c.readmeBox, 21);
  SetChecked(c.readmeBox, FieldFlag(46));
  SetCaption(c.websiteBox, 84);
  SetChecked(c.websiteBox, FieldFlag(38));
  SetText(c.back, 24);
  SetText(c.cancel, 25);
  SetWindowTextA(c.branding, ExpandPathConstants(FieldText(27)).c_str());
  FitToText(c.branding, 0);
  PlaceBrandingLine();
  EnableWindow(c.cancel, !RunFlags().noCancel);
}

// What path constant 04 stands for.
void StoreInstallationFolder(const std::string& folder) { PathState().installationFolder = InstallationFolderOf(folder); }

}  // namespace

TNavigation& Navigation() {
  static TNavigation navigation;
  return navigation;
}

// The order differs from the one in which a person sees the results only
// where nothing shows yet: every text is in place before the first page.
void SetInstallationStep(void (*install)()) { g_install = install; }

void BuildPageSequence() {
  TWizardControls& c = C();
  SetWindowTextA(c.window, ApplicationTitle().c_str());
  TNavigation& n = Navigation();
  n.sequence = PagesOfScript();
  n.position = 0;
  FillTexts();
  const std::string folder = ExpandPathConstants(FieldText(58));
  SetWindowTextA(c.folderEdit, folder.c_str());
  // Not only through the edit box's notification: without a desktop there is
  // no box.
  StoreInstallationFolder(folder);
  SetFrameTexts();
  ShowWindow(c.window, SW_SHOW);
  SetForegroundWindow(c.window);
  if (FieldFlag(41)) StartStartupNotice(c.window, FieldText(41), ApplicationTitle());
  PumpWindowMessages();
  if (CurrentPage() != kPageProgress) SetFocus(c.next);
  ShowCurrentPage();
}

void ShowCurrentPage() {
  TWizardControls& c = C();
  const uint8_t page = CurrentPage();
  ShowFrameFor(page);
  switch (page) {
    case kPageWelcome: SetText(c.next, 23); break;
    case kPageLicence: SetHeader(9, 10); SetText(c.next, 22); break;
    case kPageInformation: SetHeader(34, 82); SetText(c.next, 23); break;
    case kPageDestination: SetHeader(11, 12); SetText(c.next, 23); break;
    case kPageStartMenu: SetHeader(14, 13); SetText(c.next, 23); break;
    case kPageShortcuts: SetHeader(14, 15); SetText(c.next, 23); break;
    case kPageReady:
      SetHeader(16, 62);
      SetText(c.next, 26);
      SetWindowTextA(c.summaryViewer, SummaryText().c_str());
      break;
    case kPageProgress:
      SetHeader(61, 17);
      SetText(c.next, 23);
      RunProgressPage();
      return;  // the installation has moved on to the next page
    case kPageFinish:
      SetUpFinishPage();
      SetText(c.next, 41);
      break;
    default:
      Finish();
  }
  // The page just before Progress always carries the install caption.
  if (PageAt(size_t(Navigation().position) + 1) == kPageProgress) SetText(c.next, 26);
  if (page != kPageFinish) FocusFirstControl(page);
  PumpWindowMessages();
}

// A box that names why the page's choice cannot be used; false when it can.
bool RefusedChoice(const std::string& problem) {
  if (problem.empty()) return false;
  MessageBoxA(C().window, problem.c_str(), MessageText(42).c_str(), MB_OK | MB_ICONERROR);
  return true;
}

void NextClicked() {
  TNavigation& n = Navigation();
  if (CurrentPage() == kPageStartMenu && !IsChecked(C().noShortcuts) &&
      RefusedChoice(GroupChoiceProblem(WindowText(C().groupEdit))))
    return ShowCurrentPage();
  if (CurrentPage() == kPageDestination) {
    const std::string folder = WindowText(C().folderEdit);
    if (folder.empty()) return ShowCurrentPage();
    if (RefusedChoice(FolderChoiceProblem(folder))) return ShowCurrentPage();
    TQuietErrors quiet;
    const int64_t needed = FieldInt(23);
    if (needed > 0 && FreeSpace(folder) < uint64_t(needed)) {
      std::string drive = folder.substr(0, 1);
      if (drive[0] >= 'a' && drive[0] <= 'z') drive[0] = char(drive[0] - 'a' + 'A');
      MessageBoxA(C().window, (MessageText(8) + drive + MessageText(48)).c_str(), MessageText(42).c_str(),
                  MB_OK | MB_ICONERROR);
      return ShowCurrentPage();
    }
  }
  ++n.position;
  ShowCurrentPage();
}

void BackClicked() {
  TNavigation& n = Navigation();
  if (n.position == 0 || !IsWindowVisible(C().back)) return;
  --n.position;
  ShowCurrentPage();
}

void CloseRequested() {
  if (RunFlags().noCancel) return;
  const bool installing = Navigation().installing;
  if (!RunFlags().silent) {
    if (WindowText(C().next) == MessageText(41)) EndSetup(CompletedExitCode());  // the Finish page
    const int answer = MessageBoxA(C().window, MessageText(46).c_str(), ApplicationTitle().c_str(),
                                   MB_YESNO | MB_ICONWARNING);
    if (answer != IDYES) return;
  }
  if (installing) return RequestStop();  // honoured at the next record boundary
  EndSetup(kExitUserCancelled);
}

void DestinationChanged() {
  const std::string folder = WindowText(C().folderEdit);
  if (CurrentPage() == kPageDestination) {
    TQuietErrors quiet;
    const bool driveExists = folder.size() > 2 && (GetFileAttributesA(DriveRoot(folder).c_str()) &
                                                   (FILE_ATTRIBUTE_DIRECTORY | 0x80000000u)) == FILE_ATTRIBUTE_DIRECTORY;
    EnableWindow(C().next, driveExists);
  }
  StoreInstallationFolder(folder);
}

void GroupChanged() {
  if (CurrentPage() == kPageStartMenu) EnableWindow(C().next, GetWindowTextLengthA(C().groupEdit) > 0);
}

void GroupListClicked() {
  HWND list = C().groupList;
  const int selected = int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
  std::string name;
  if (selected >= 0) {
    char text[MAX_PATH + 1] = {};
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(selected), reinterpret_cast<LPARAM>(&item));
    name = text;
  }
  if (!name.empty()) name += "\\";
  SetWindowTextA(C().groupEdit, (name + ExpandPathConstants(FieldText(106))).c_str());
}

void NoShortcutsClicked() {
  const TWizardControls& c = C();
  const bool enabled = !(IsChecked(c.noShortcuts) || FieldFlag(109));
  for (HWND control : {c.startMenuInstruction, c.groupEdit, c.groupList}) EnableWindow(control, enabled);
  SendMessageA(c.groupList, LVM_SETTEXTCOLOR, 0, LPARAM(enabled ? RGB(0, 0, 0) : RGB(0x80, 0x80, 0x80)));
  InvalidateRect(c.groupList, nullptr, TRUE);
}

void BrowseClicked() {
  std::string text = WindowText(C().folderEdit);
  if (BrowseForFolder(C().window, MessageText(49), text) && !text.empty())
    text = FolderAfterBrowse(text, ExpandPathConstants(FieldText(58)), ExpandPathConstants(FieldText(53)));
  SetWindowTextA(C().folderEdit, text.c_str());
}
