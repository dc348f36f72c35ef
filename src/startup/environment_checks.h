// The checks a script can ask for before the wizard: Windows version,
// administrator rights, a .NET Framework version, and windows of a running
// program that must close.
#pragma once
#include <windows.h>

#include <vector>

// True when the built-in Administrators group is in the caller's token.
bool IsAdministrator();
// The highest .NET Framework version the policy key lists; 0 when none.
double InstalledDotNetVersion();
// Asks the windows titled like header field 104 to close (field 105: by a
// title that contains it, else by the exact title). Never the setup's own
// windows, never the same window twice. Returns the windows it asked.
std::vector<HWND> CloseProgramWindows();
// Runs the checks in order; false after a refusal, once its box was shown
// and the temporary files deleted: the caller ends the setup.
bool RunEnvironmentChecks();
