// Creating child controls: a window of a class, at a place, with the font
// its top-level window answers WM_GETFONT with. Places and sizes are the
// layout's, at 96 DPI (toolkit/layout_scale.h): a control is made, moved and
// sized at their scaled form, and RectInParent gives them back unscaled.
#pragma once
#include <windows.h>

#include <string>

HWND CreateChild(HWND parent, const char* className, const char* text, DWORD style, int x, int y, int width,
                 int height, int id = 0, DWORD exStyle = 0);
// Sets the font of one window.
void SetWindowFont(HWND window, HFONT font);
// Every descendant of the window that has the font `from` gets `to`.
void ReplaceFont(HWND window, HFONT from, HFONT to);
// Sizes a label, check box or radio button to its text in its font; extra
// is the room a check mark or radio circle takes before the text.
void FitToText(HWND control, int extra);
// The text of a window.
std::string WindowText(HWND window);
bool IsChecked(HWND button);
// Whether the control itself is set to show (its parent may be hidden).
bool IsShown(HWND control);
void SetChecked(HWND button, bool checked);
// Places a child at (x, y) in its parent, keeping its size.
void MoveTo(HWND control, int x, int y);
// Sizes a child, keeping its place.
void SizeTo(HWND control, int width, int height);
// The control's rectangle in its parent's client coordinates, at 96 DPI.
RECT RectInParent(HWND control);
