#include "wizard/navigation.h"

#include <windows.h>
#include <commctrl.h>

#include "archive/setup_script.h"
#include "engine/installation.h"
#include "engine/progress.h"
#include "engine/stop_request.h"
#include "lang/folders.h"
#include "lang/messages.h"
#include "lang/path_constants.h"
#include "startup/application_window.h"
#include "startup/command_line.h"
#include "startup/exit_codes.h"
#include "startup/temp_folder.h"
#include "toolkit/message_pump.h"
#include "wizard/page_sequence.h"
#include "wizard/wizard_window.h"

namespace {

// The pages whose panels exist so far; the others join the sequence as
// they are built.
bool PageIsBuilt(uint8_t page) { return page == kPageProgress || page == kPageDone; }

uint8_t CurrentPage() {
  const TNavigation& n = Navigation();
  return n.position < n.sequence.size() ? n.sequence[n.position] : uint8_t(kPageDone);
}

[[noreturn]] void EndSetup(int exitCode) {
  DeleteTemporaryFiles(FieldInt(26));
  ExitProcess(UINT(exitCode));
}

// The Progress page's status line and bar as the installation's sink.
class TProgressPage : public TProgressSink {
public:
  void ShowStatus(const std::string& text) override {
    HWND status = WizardControls().statusLine;
    SetWindowTextA(status, text.c_str());
    UpdateWindow(status);
  }
  void ShowProgress(int32_t position, int32_t maximum) override {
    HWND bar = WizardControls().progressBar;
    SendMessageA(bar, PBM_SETRANGE32, 0, LPARAM(maximum));
    SendMessageA(bar, PBM_SETPOS, WPARAM(position), 0);
  }
  HWND DialogOwner() const override { return WizardWindow(); }
};

TInstallChoices ChoicesOfWizard() {
  TInstallChoices choices;
  choices.installationFolder = PathState().installationFolder;
  choices.shortcuts = ReadShortcutChoices();
  return choices;
}

void Install() {
  TProgressPage page;
  Navigation().installing = true;  // a close request now waits for the next record boundary
  RunInstallation(ChoicesOfWizard(), page);
  Navigation().installing = false;
}

void ShowProgressPage() {
  const TWizardControls& c = WizardControls();
  SetWindowTextA(c.progressHeading, MessageText(5).c_str());
  ShowWindow(c.progressPanel, SW_SHOW);
  EnableWindow(c.next, FALSE);
  EnableWindow(c.back, FALSE);
  Install();
  ++Navigation().position;
  ShowCurrentPage();
}

}  // namespace

TNavigation& Navigation() {
  static TNavigation navigation;
  return navigation;
}

void BuildPageSequence() {
  const TWizardControls& c = WizardControls();
  SetWindowTextA(c.window, ApplicationTitle().c_str());
  TNavigation& n = Navigation();
  n.sequence.clear();
  for (uint8_t page : PagesOfScript())
    if (PageIsBuilt(page)) n.sequence.push_back(page);
  n.position = 0;
  if (FieldFlag(86)) SetWindowTextA(c.groupEdit, FieldText(106).c_str());
  if (FieldFlag(22)) {
    ShowWindow(c.desktopCheck, FieldFlag(88) ? SW_SHOW : SW_HIDE);
    ShowWindow(c.startMenuCheck, FieldFlag(89) ? SW_SHOW : SW_HIDE);
    ShowWindow(c.quickLaunchCheck, FieldFlag(90) && !FolderForCode(7).empty() ? SW_SHOW : SW_HIDE);
  }
  std::string folder = ExpandPathConstants(FieldText(58));
  PathState().installationFolder = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
  SetWindowTextA(c.back, MessageText(24).c_str());
  SetWindowTextA(c.cancel, MessageText(25).c_str());
  EnableWindow(c.cancel, !RunFlags().noCancel);
  if (RunFlags().silent) {
    Install();
    return;
  }
  ShowWindow(c.window, SW_SHOW);
  SetForegroundWindow(c.window);
  PumpWindowMessages();
  ShowCurrentPage();
}

void ShowCurrentPage() {
  switch (CurrentPage()) {
    case kPageProgress:
      ShowProgressPage();
      return;
    case kPageDone:
      // The finish actions take their place here when they are built.
      EndSetup(kExitOk);
    default:
      return;
  }
}

void NextClicked() {
  ++Navigation().position;
  ShowCurrentPage();
}

void BackClicked() {
  TNavigation& n = Navigation();
  if (n.position == 0 || !IsWindowVisible(WizardControls().back)) return;
  --n.position;
  ShowCurrentPage();
}

void CloseRequested() {
  if (RunFlags().noCancel) return;
  if (!RunFlags().silent) {
    int answer = MessageBoxA(WizardWindow(), MessageText(46).c_str(), ApplicationTitle().c_str(),
                             MB_YESNO | MB_ICONWARNING);
    if (answer != IDYES) return;
  }
  if (Navigation().installing) {
    RequestStop();  // honoured at the next record boundary
    return;
  }
  EndSetup(kExitUserCancelled);
}
