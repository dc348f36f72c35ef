#include "wizard/progress_page.h"

#include <windows.h>
#include <commctrl.h>

#include "archive/setup_script.h"
#include "engine/choice_check.h"
#include "engine/installation.h"
#include "lang/path_constants.h"
#include "startup/application_window.h"
#include "startup/command_line.h"
#include "startup/corrupted_setup.h"
#include "toolkit/controls.h"
#include "wizard/navigation.h"
#include "wizard/startup_notice.h"
#include "wizard/wizard_window.h"

namespace {

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
  bool Shown() const override { return IsWindowVisible(WizardControls().progressBar) != FALSE; }
};

// A silent run: nothing to show; message boxes belong to the hidden frame.
class TSilentSink : public TProgressSink {
public:
  void ShowStatus(const std::string&) override {}
  void ShowProgress(int32_t, int32_t) override {}
  HWND DialogOwner() const override { return WizardWindow(); }
};

TInstallChoices ChoicesOnPages() {
  const TWizardControls& c = WizardControls();
  TInstallChoices choices;
  choices.installationFolder = PathState().installationFolder;
  choices.shortcuts.noShortcuts = IsChecked(c.noShortcuts);
  choices.shortcuts.desktop = IsChecked(c.desktopCheck);
  choices.shortcuts.startMenu = IsChecked(c.startMenuCheck);
  choices.shortcuts.quickLaunch = IsChecked(c.quickLaunchCheck);
  choices.shortcuts.group = WindowText(c.groupEdit);
  return choices;
}

void Install(const TInstallChoices& choices, TProgressSink& sink) {
  // The pages check what they show; this also covers /P= and /G= where no
  // page shows them, and every silent run.
  const std::string problem = ChoicesProblem(choices);
  if (!problem.empty()) UnusableChoiceError(problem);
  Navigation().installing = true;
  RunInstallation(choices, sink);
  Navigation().installing = false;
}

}  // namespace

void InstallFromWizard() {
  TProgressPage page;
  Install(ChoicesOnPages(), page);
}

void InstallSilently() {
  if (FieldFlag(41) && !RunFlags().quiet) StartStartupNotice(WizardWindow(), FieldText(41), ApplicationTitle());
  TSilentSink sink;
  Install(DefaultChoices(), sink);
}
