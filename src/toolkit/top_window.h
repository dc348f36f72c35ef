// Top-level windows of a fixed client size, centred on the screen.
#pragma once
#include <windows.h>

// A window class with the arrow cursor, the dialog face colour and, unless
// told otherwise, the program's icon ("MAINICON") in its caption.
void RegisterWindowClass(const char* className, WNDPROC procedure, bool captionIcon = true);

// A window whose client area is width x height at 96 DPI (scaled to the
// screen's DPI), centred on the screen (a screen smaller than the window
// gives negative coordinates). param reaches
// WM_NCCREATE and WM_CREATE.
HWND CreateCentredWindow(const char* className, const char* caption, DWORD style, DWORD exStyle, int width,
                         int height, HWND owner, void* param = nullptr);
