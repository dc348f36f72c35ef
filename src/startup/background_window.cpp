// Placeholder until the background window lands.
#include "startup/background_window.h"
HWND CreateBackgroundWindow() { return nullptr; }
HWND BackgroundWindow() { return nullptr; }
void SetUpBackgroundWindow() {}
bool BackgroundWanted() { return false; }
void SetForegroundTarget(HWND) {}
