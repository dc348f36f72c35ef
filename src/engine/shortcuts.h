// Shell shortcuts (.lnk files) in the program group, on the desktop, in the
// Start Menu, in Quick Launch or at an explicit path.
#pragma once

// Creates the script's shortcuts as the wizard's Start Menu and Shortcuts
// controls say, adding each to the uninstall file list; a progress step
// per record.
void CreateShortcuts();
