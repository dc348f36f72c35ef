#include "wizard/wizard_start.h"

#include "startup/command_line.h"
#include "wizard/navigation.h"
#include "wizard/progress_page.h"
#include "wizard/wizard_window.h"

void BuildWizard() {
  TWizardHandlers handlers;
  handlers.closeRequested = CloseRequested;
  handlers.next = NextClicked;
  handlers.back = BackClicked;
  handlers.browse = BrowseClicked;
  handlers.folderChanged = DestinationChanged;
  handlers.groupChanged = GroupChanged;
  handlers.noShortcuts = NoShortcutsClicked;
  handlers.groupListClicked = GroupListClicked;
  SetWizardHandlers(handlers);
  if (RunFlags().silent) {
    // No pages: the hidden frame alone takes close requests and owns the
    // message boxes.
    CreateHiddenFrame();
    InstallSilently();
    return;
  }
  SetInstallationStep(InstallFromWizard);
  CreateWizardWindow();
  BuildPageSequence();
}
