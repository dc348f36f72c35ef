// The folders of Windows and of the shell that the uninstaller never
// removes, whatever its log lists (see IsProtectedFolder).
#pragma once
#include <string>
#include <vector>

// This machine's Windows and system folders (the 32-bit ones beside the
// native ones where both exist), the Program Files and Common Files folders
// of both kinds, the temporary folders (the user's and the Windows folder's
// Temp), and the shell's folders of the user and of all users: Desktop,
// Start Menu, Programs, Startup, Fonts, Documents, App Data, Templates,
// Favorites, Send To, the profile, Quick Launch. Each in its long and its
// 8.3 form.
std::vector<std::string> ProtectedFolders();
