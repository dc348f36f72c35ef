// The application window: the setup's task-bar window (caption "*", later
// the setup title) and the owner of the start-up message boxes.
#pragma once
#include <windows.h>

#include <string>

// Creates the window on first use; it stays hidden until shown.
HWND ApplicationWindow();
void SetApplicationTitle(const std::string& title);
std::string ApplicationTitle();
void DestroyApplicationWindow();
