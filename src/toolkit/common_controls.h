// The common controls library, loaded the first time it is needed rather
// than with the program: a silent run never needs it, and loading it costs
// several MiB and tens of milliseconds. Once loaded it stays until the
// process ends, since windows of its classes may live that long.
#pragma once
#include <windows.h>
#include <commctrl.h>

// InitCommonControlsEx; false when the library or the call fails.
bool InitCommonControlClasses(DWORD classes);
// SetWindowSubclass and DefSubclassProc.
bool SubclassWindow(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
LRESULT DefaultSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
