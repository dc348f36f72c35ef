// Drawing helpers shared by the background window, the wizard's header band
// and picture boxes, and the uninstaller's band.
#pragma once
#include <windows.h>

#include <cstdint>

#include "toolkit/gdi_object.h"

// A colour setting: a colour reference 0x00BBGGRR, or with the top bit set
// (0x80000000 + n) system colour n, resolved to RGB.
COLORREF ResolveColour(uint32_t value);

// One channel of pixel g of a d-pixel gradient strip: start + (end - start)
// * g / d in signed arithmetic, truncated toward zero. Pixel 0 is the start
// colour; the end colour itself is never reached.
inline int GradientChannel(int start, int end, int g, int d) { return start + (end - start) * g / d; }

// A two-colour linear gradient over (0, 0, width, height): a one-pixel strip
// of d pixels (d = height when vertical, else width) is stretched into a
// 32-pixel tile, which is drawn width / 32 + 1 times across (vertical) or
// height / 32 + 1 times down (horizontal); the last tile may run past the
// rectangle.
void PaintGradient(HDC dc, int width, int height, COLORREF start, COLORREF end, bool vertical);

// Fills a rectangle with one colour.
void FillColour(HDC dc, int left, int top, int right, int bottom, COLORREF colour);

// Draws a bitmap unscaled at (x, y): opaque, or with the colour of its own
// pixel (0, 0) (or a given key colour) left out.
void DrawBitmap(HDC dc, HBITMAP picture, int x, int y);
void DrawBitmapKeyed(HDC dc, HBITMAP picture, int x, int y, COLORREF key);
// Lays the colour canvas over dc at (x, y) where the monochrome mask is 0;
// where it is 1 (see-through) dc stays, and the colour canvas turns black.
void DrawThroughMask(HDC dc, int x, int y, int width, int height, HDC colour, HDC mask);
// The colour of the bitmap's pixel (0, 0).
COLORREF CornerColour(HDC like, HBITMAP picture);

// Answers WM_PAINT by drawing the whole client area off screen first, then
// copying it in one go, so that the window does not flicker.
template <typename TPaint>
void PaintBuffered(HWND window, TPaint paint);

// A memory DC with a bitmap selected into it, both released together.
class TMemoryCanvas {
public:
  TMemoryCanvas(HDC like, HBITMAP bitmap) : dc_(CreateCompatibleDC(like)), old_(SelectObject(dc_, bitmap)) {}
  ~TMemoryCanvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  TMemoryCanvas(const TMemoryCanvas&) = delete;
  TMemoryCanvas& operator=(const TMemoryCanvas&) = delete;
  HDC Get() const { return dc_; }

private:
  HDC dc_;
  HGDIOBJ old_;
};

template <typename TPaint>
void PaintBuffered(HWND window, TPaint paint) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  if (client.right > 0 && client.bottom > 0) {
    TGdiObject<HBITMAP> buffer(CreateCompatibleBitmap(dc, client.right, client.bottom));
    TMemoryCanvas canvas(dc, buffer.Get());
    paint(canvas.Get(), client);
    BitBlt(dc, 0, 0, client.right, client.bottom, canvas.Get(), 0, 0, SRCCOPY);
  }
  EndPaint(window, &ps);
}
