// The scale of the layout. Every place and size of a window's layout is
// written at 96 DPI, where a layout pixel is a screen pixel, and scaled to
// the DPI of the monitor the window is on: MulDiv(value, dpi, 96). At 96 DPI
// everything stands exactly as written.
//
// Each child made with CreateChild keeps its 96-DPI rectangle, so that the
// layout is computed once and only scaled again when the window moves to a
// monitor of another DPI.
#pragma once
#include <windows.h>

#include "toolkit/gdi_object.h"

constexpr int kBaseDpi = 96;

inline int ScaleTo(int value, int dpi) { return MulDiv(value, dpi, kBaseDpi); }

// The DPI of the screen, for a window not made yet: the system's.
int ScreenDpi();
// The DPI of the monitor the window is on, where Windows tells it per
// monitor; else the screen's.
int MonitorDpi(HWND window);
// The DPI the window's top-level window is laid out at (ScreenDpi until set).
int LayoutDpi(HWND window);
void SetLayoutDpi(HWND topWindow, int dpi);
// A 96-DPI value scaled for the window.
int Scaled(HWND window, int value);
// Device pixels of the window as 96-DPI layout pixels, rounded up (a text's
// measured width).
int Unscaled(HWND window, int pixels);
RECT Scaled(HWND window, RECT rect);

// A font whose characters are `height` pixels high at 96 DPI, for the window.
TFont CreateLayoutFont(HWND window, const char* face, int height, int weight = FW_NORMAL);
// The same for a height in CreateFontA's sign rule (negative: characters,
// positive: cells).
TFont CreateLayoutFontA(HWND window, const char* face, int height, int weight);

// The 96-DPI rectangle of a child in its parent; false when it has none.
bool LayoutRect(HWND child, RECT& rect);
// Gives the child this 96-DPI rectangle and puts it at its scaled form.
void PlaceChild(HWND child, const RECT& rect);
// Puts every descendant of the top window that has a 96-DPI rectangle at
// its scaled form for the top window's layout DPI (after SetLayoutDpi).
void LayOutAgain(HWND topWindow);

// The handling of WM_DPICHANGED for a top-level window: the new DPI, the
// rectangle Windows suggests taken, every child laid out again. The caller
// renews its fonts and pictures first (refonts, may be null).
void FollowDpiChange(HWND topWindow, WPARAM wParam, LPARAM lParam, void (*refonts)(HWND topWindow, int dpi));
