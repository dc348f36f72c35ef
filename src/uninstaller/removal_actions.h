// The single removals the uninstaller performs. None reports a failure: what
// cannot be removed stays, and the uninstallation goes on.
#pragma once
#include <string>

#include "uninstaller/removal_plan.h"

// Opens the program with its parameters and show command, in the program's
// folder; with the wait flag, returns when it has ended, the windows kept
// running meanwhile.
void RunUninstallCommand(const TRemovalStep& step);
// Loads the DLL by its full path, its own folder searched for its
// dependencies, calls DllUnregisterServer when it has one, and frees it.
void UnregisterComponent(const std::string& path);
// RemoveFontResourceA on the font file, the font's value under the Fonts key
// deleted, and a WM_FONTCHANGE broadcast that a hung window cannot stall.
void RemoveFont(const TRemovalStep& step);
// Deletes the file, clearing a read-only attribute first.
void DeleteProductFile(const std::string& path);
// Deletes the key from its section of the INI file; a section left without
// keys goes too, and then a file left with nothing but blanks.
void RemoveIniKey(const TRemovalStep& step);
// Removes the folder when it is empty; false when it stays.
bool RemoveEmptyFolder(const std::string& path);
