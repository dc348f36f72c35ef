// Creating child controls: a window of a class, at a place, with the
// parent's font.
#pragma once
#include <windows.h>

HWND CreateChild(HWND parent, const char* className, const char* text, DWORD style, int x, int y, int width,
                 int height, int id = 0, DWORD exStyle = 0);
// Sets the font of a window (and of every control made with CreateChild
// under it afterwards).
void SetWindowFont(HWND window, HFONT font);
