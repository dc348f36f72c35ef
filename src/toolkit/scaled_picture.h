// Pictures at the layout's scale: at 96 DPI drawn pixel for pixel; at any
// other DPI scaled smoothly (halftone) to their scaled size. A see-through
// key colour stays exact: the key pixels first take their opaque
// neighbours' colours, so that smoothing blends no key colour into the
// picture's edges, and what is see-through is scaled without smoothing.
#pragma once
#include <windows.h>

// Draws the picture with its top left corner at (x, y), device pixels, at
// the scale of dpi; key (may be null) is the colour left out.
void DrawPicture(HDC dc, HBITMAP picture, int x, int y, int dpi, const COLORREF* key = nullptr);
