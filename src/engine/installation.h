// The installation driver: every step of the installation in its fixed
// order. It takes the user's choices as data and reports through a
// progress sink; it knows nothing of the wizard.
#pragma once
#include <string>

#include "engine/install_choices.h"
#include "engine/progress.h"

// What path constant 04 stands for when folder is chosen: folder with one
// trailing backslash.
std::string InstallationFolderOf(const std::string& folder);

// What a run chooses without asking, which is also what the pages first
// show: the folder field 58 names, every shortcut box ticked, and the
// product's own group name when the Start Menu page is wanted. A silent run
// installs with these.
TInstallChoices DefaultChoices();

// Starts decoding the setup's solid file data ahead of the installation,
// into memory only: a silent run calls it before it makes its hidden wizard
// frame, so that the rest of its start overlaps the decoding.
// RunInstallation does it itself otherwise.
void PrepareInstallation();

// Runs the installation from the setup's own archive and returns when it is
// done (the temporary files are then gone). A damaged archive, a cancelled
// disk prompt or an honoured stop request end the process instead.
void RunInstallation(const TInstallChoices& choices, TProgressSink& sink);
