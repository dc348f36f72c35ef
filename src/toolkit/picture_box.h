// Picture boxes: a child window that paints one bitmap at a place inside it,
// opaque or with one colour left out, over its own background colour.
#pragma once
#include <windows.h>

enum class TTransparency { Opaque, CornerPixel, Black };

// The box does not own the bitmap; it must outlive the box's painting.
HWND CreatePictureBox(HWND parent, int x, int y, int width, int height, HBITMAP picture, POINT place,
                      TTransparency transparency, COLORREF background);
