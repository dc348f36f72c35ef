// The single removals the uninstaller performs. Each returns false when it
// failed: the item is there and could not be removed (or, for a command,
// not started). What is already gone is no failure. Either way the
// uninstallation goes on.
#pragma once
#include <functional>
#include <string>

#include "uninstaller/removal_plan.h"

// Opens the program with its parameters and show command, in the program's
// folder; with the wait flag, returns when it has ended, the windows kept
// running meanwhile.
bool RunUninstallCommand(const TRemovalStep& step);
// Loads the DLL by its full path, its own folder searched for its
// dependencies, calls DllUnregisterServer when it has one, and frees it.
// Fails when the file exists but does not load, or the call reports failure.
bool UnregisterComponent(const std::string& path);
// RemoveFontResourceA on the font file, the font's value under the Fonts key
// deleted, and a WM_FONTCHANGE broadcast that a hung window cannot stall.
// Only a value that stays counts as a failure: a font not in use by this
// session has nothing to take out of use.
bool RemoveFont(const TRemovalStep& step);
// Deletes the file, clearing a read-only attribute first.
bool DeleteProductFile(const std::string& path);
// Deletes the key from its section of the INI file; a section left without
// keys goes too, and then a file left with nothing but blanks.
bool RemoveIniKey(const TRemovalStep& step);
// Removes the folder when it is empty; false when it stays.
bool RemoveEmptyFolder(const std::string& path);
// Whether every entry of the folder passes the test (given its full path);
// empty tells whether it has none. False when the folder cannot be read.
bool FolderHoldsOnly(const std::string& folder, const std::function<bool(const std::string&)>& test, bool& empty);
