// The start-up notice: a message box with the script's text, shown once,
// 255 ms after the wizard, from a short-lived thread of its own so that it
// never holds up the installation.
#pragma once
#include <windows.h>

#include <string>

void StartStartupNotice(HWND owner, const std::string& text, const std::string& caption);
