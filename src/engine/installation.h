// The installation driver: every step of the installation in its fixed
// order. It takes the user's choices as data and reports through a
// progress sink; it knows nothing of the wizard.
#pragma once
#include <string>

#include "engine/progress.h"
#include "engine/shortcut_path.h"

struct TInstallChoices {
  std::string installationFolder;  // what path constant 04 stands for
  TShortcutChoices shortcuts;
};

// Starts decoding the setup's solid file data ahead of the installation,
// into memory only: a silent run calls it before it builds its hidden
// wizard, so that the building overlaps the decoding. RunInstallation does
// it itself otherwise.
void PrepareInstallation();

// Runs the installation from the setup's own archive and returns when it is
// done (the temporary files are then gone). A damaged archive, a cancelled
// disk prompt or an honoured stop request end the process instead.
void RunInstallation(const TInstallChoices& choices, TProgressSink& sink);
