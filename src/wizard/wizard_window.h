// The wizard window: the common frame (Back, Next, Cancel) and the page
// panels. It exists from its construction until the process ends.
#pragma once
#include <windows.h>

#include "engine/shortcut_path.h"

struct TWizardControls {
  HWND window = nullptr;
  HWND back = nullptr, next = nullptr, cancel = nullptr;
  HWND progressPanel = nullptr;
  HWND progressHeading = nullptr, statusLine = nullptr, progressBar = nullptr;
  HWND startMenuPanel = nullptr;
  HWND startMenuInstruction = nullptr, groupEdit = nullptr, groupList = nullptr, noShortcuts = nullptr;
  HWND shortcutsPanel = nullptr;
  HWND shortcutsInstruction = nullptr, desktopCheck = nullptr, startMenuCheck = nullptr, quickLaunchCheck = nullptr;
};

// Null until the wizard is built.
HWND WizardWindow();
const TWizardControls& WizardControls();
// Creates the window and its controls, centred on the screen, hidden.
void CreateWizardWindow();
// CreateWizardWindow, then the page sequence (which, in silent mode, runs
// the installation).
void BuildWizard();
// The Start Menu and Shortcuts pages' choices as their controls hold them now.
TShortcutChoices ReadShortcutChoices();
