// The background window: a border-less window that covers the screen behind
// the wizard with a gradient or a picture, a title at the top left and a
// smaller text at the bottom right. Purely decorative: whatever happens to
// it hands the foreground to the wizard.
#pragma once
#include <windows.h>

// Creates the window hidden, owned by the application window, with its two
// texts.
HWND CreateBackgroundWindow();
// Null before creation.
HWND BackgroundWindow();
// Start-up step: when header field 1 is set and the setup is not silent,
// sizes the window to the screen, shows it and draws its background and
// texts; otherwise hides it.
void SetUpBackgroundWindow();
// Header field 1 is set and the setup is not silent.
bool BackgroundWanted();
// The window that showing, painting or clicking the background (or its
// texts) brings to the foreground; null: nothing is brought forward.
void SetForegroundTarget(HWND wizard);
