// Moving through the wizard's pages, keeping their controls consistent, and
// handling requests to close the wizard.
#pragma once
#include <cstdint>
#include <vector>

struct TNavigation {
  std::vector<uint8_t> sequence;  // filled once; its last element is done (10)
  uint8_t position = 0;
  bool installing = false;
};
TNavigation& Navigation();

// The installation the Progress page runs, given by the layer above.
void SetInstallationStep(void (*install)());
// Fills the texts, builds the page sequence and shows the first page.
void BuildPageSequence();
// Shows the page at the current position.
void ShowCurrentPage();
void NextClicked();
void BackClicked();
// Any close request of the wizard window: refused with "/NC"; on the Finish
// page the setup ends at once; otherwise the user is asked, and during the
// installation a confirmed stop is honoured at the next record boundary.
void CloseRequested();
// The folder edit box changed: Next follows the drive check on the
// Destination page; the installation folder follows the text.
void DestinationChanged();
// The group edit box changed: on the Start Menu page Next needs a name.
void GroupChanged();
// A click or selection change in the group list: the chosen group, then the
// product's own group name, into the group edit box.
void GroupListClicked();
// The no-shortcuts box: the group controls are usable only without it.
void NoShortcutsClicked();
// Browse on the Destination page.
void BrowseClicked();
