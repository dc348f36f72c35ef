// The installation as the wizard runs it: the Progress page's status line
// and bar as the engine's progress sink, and the user's choices read from
// the pages; or, in silent mode, nothing shown and the default choices.
#pragma once

// Runs the installation with the choices on the pages; returns when it is
// done. Close requests meanwhile wait for the next record boundary.
void InstallFromWizard();
// Runs the installation with DefaultChoices(), showing nothing but the
// script's start-up notice; message boxes belong to the hidden wizard frame.
void InstallSilently();
