// The wizard put together: the window at the bottom, the navigation that
// moves through its pages above it, and the installation step on top.
#pragma once

// Builds the wizard window and shows its first page; in silent mode only the
// hidden frame, and then the whole installation.
void BuildWizard();
