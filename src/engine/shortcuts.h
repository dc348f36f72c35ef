// Shell shortcuts (.lnk files) in the program group, on the desktop, in the
// Start Menu, in Quick Launch or at an explicit path.
#pragma once

#include "engine/shortcut_path.h"

// Creates the script's shortcuts as the user chose, adding each to the
// uninstall file list; a progress step per record.
void CreateShortcuts(const TShortcutChoices& choices);
