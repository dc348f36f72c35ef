// The full-screen background window behind the wizard.
#pragma once
#include <windows.h>

// Creates the window hidden, owned by the application window, with its two labels.
HWND CreateBackgroundWindow();
HWND BackgroundWindow();
// When header field 1 is set and the setup is not silent, sets it up and shows it; otherwise hides it.
void SetUpBackgroundWindow();
// Field 1 set and not silent.
bool BackgroundWanted();
// The window that showing, painting or clicking the background brings to the foreground.
void SetForegroundTarget(HWND wizard);
