// The controls of every page, at their places, in their initial states.
#pragma once
#include "wizard/wizard_controls.h"

// The welcome panel (Welcome and Finish) and the inner page panels.
void CreatePages(TWizardControls& c);
// The welcome title's font, made (again) for the window's layout DPI.
void SetPageFonts(TWizardControls& c);
// The Finish page's boxes stand in rows without gaps; the Shortcuts page's
// boxes likewise.
// The Finish page's check boxes (or restart buttons) close up from top.
void CompactFinishBoxes(TWizardControls& c, int top);
void CompactShortcutBoxes(TWizardControls& c);
// Fills the group list with the sub-folders of the Start Menu programs folder.
void FillGroupList(HWND list);
