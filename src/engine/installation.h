// The installation driver: every step of the installation in its fixed
// order, with the progress shown on the Progress page.
#pragma once

// Runs the installation. In silent mode the setup then ends (exit code 0);
// otherwise the wizard moves on to the next page.
void RunInstallation();
