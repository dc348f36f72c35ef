// The wizard window: the common frame (header band, branding, Back, Next,
// Cancel) and one panel per page, of which one is visible at a time. It
// exists from its construction until the process ends.
#pragma once
#include <windows.h>

#include "wizard/wizard_controls.h"

// Null until the wizard is built.
HWND WizardWindow();
TWizardControls& WizardControls();
// The panel that shows a page (0 to 9); null for 10.
HWND PanelOfPage(int page);
// Creates the window and every control, centred on the screen, hidden.
void CreateWizardWindow();
// What the controls' commands do, given by the layer above the window (the
// navigation); a handler left null does nothing.
struct TWizardHandlers {
  void (*closeRequested)() = nullptr;  // WM_CLOSE, Cancel, Esc
  void (*next)() = nullptr;            // Next, or Enter, while Next is usable
  void (*back)() = nullptr;
  void (*browse)() = nullptr;
  void (*folderChanged)() = nullptr;   // the folder edit box's text changed
  void (*groupChanged)() = nullptr;    // the group edit box's text changed
  void (*noShortcuts)() = nullptr;     // the no-shortcuts box was clicked
  void (*groupListClicked)() = nullptr;
};
void SetWizardHandlers(const TWizardHandlers& handlers);
// The frame alone, hidden, titled as the application: a silent run's owner
// of message boxes and receiver of close requests.
void CreateHiddenFrame();
