// Creating child controls: a window of a class, at a place, with the font
// its top-level window answers WM_GETFONT with.
#pragma once
#include <windows.h>

HWND CreateChild(HWND parent, const char* className, const char* text, DWORD style, int x, int y, int width,
                 int height, int id = 0, DWORD exStyle = 0);
// Sets the font of one window.
void SetWindowFont(HWND window, HFONT font);
