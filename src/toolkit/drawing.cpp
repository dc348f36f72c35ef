#include "toolkit/drawing.h"

namespace {

// A d-pixel strip, one pixel thick, as a 32-bit top-down DIB section.
TGdiObject<HBITMAP> GradientStrip(HDC like, COLORREF start, COLORREF end, int d, bool vertical) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = vertical ? 1 : d;
  info.bmiHeader.biHeight = -(vertical ? d : 1);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  TGdiObject<HBITMAP> strip(CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!strip.Get() || !bits) return strip;
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int g = 0; g < d; ++g) {
    const int r = GradientChannel(GetRValue(start), GetRValue(end), g, d);
    const int gr = GradientChannel(GetGValue(start), GetGValue(end), g, d);
    const int b = GradientChannel(GetBValue(start), GetBValue(end), g, d);
    pixels[g] = uint32_t(r) << 16 | uint32_t(gr) << 8 | uint32_t(b);  // DIB order: 0x00RRGGBB
  }
  GdiFlush();
  return strip;
}

}  // namespace

COLORREF ResolveColour(uint32_t value) {
  if (value & 0x80000000u) return GetSysColor(int(value & 0xFF));
  return value & 0xFFFFFFu;
}

void PaintGradient(HDC dc, int width, int height, COLORREF start, COLORREF end, bool vertical) {
  const int d = vertical ? height : width;
  if (d <= 0) return;
  TGdiObject<HBITMAP> strip = GradientStrip(dc, start, end, d, vertical);
  if (!strip.Get()) return;
  const int tileWidth = vertical ? 32 : d, tileHeight = vertical ? d : 32;
  TGdiObject<HBITMAP> tile(CreateCompatibleBitmap(dc, tileWidth, tileHeight));
  {
    TMemoryCanvas stripCanvas(dc, strip.Get());
    TMemoryCanvas tileCanvas(dc, tile.Get());
    SetStretchBltMode(tileCanvas.Get(), HALFTONE);
    SetBrushOrgEx(tileCanvas.Get(), 0, 0, nullptr);
    StretchBlt(tileCanvas.Get(), 0, 0, tileWidth, tileHeight, stripCanvas.Get(), 0, 0, vertical ? 1 : d,
               vertical ? d : 1, SRCCOPY);
  }
  TMemoryCanvas tileCanvas(dc, tile.Get());
  const int tiles = (vertical ? width : height) / 32 + 1;
  for (int i = 0; i < tiles; ++i) {
    const int x = vertical ? 32 * i : 0, y = vertical ? 0 : 32 * i;
    BitBlt(dc, x, y, tileWidth, tileHeight, tileCanvas.Get(), 0, 0, SRCCOPY);
  }
}

void FillColour(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  RECT r = {left, top, right, bottom};
  TGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.Get());
}

void DrawBitmap(HDC dc, HBITMAP picture, int x, int y) {
  BITMAP info{};
  if (!picture || !GetObjectA(picture, sizeof info, &info)) return;
  TMemoryCanvas source(dc, picture);
  BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source.Get(), 0, 0, SRCCOPY);
}

COLORREF CornerColour(HDC like, HBITMAP picture) {
  TMemoryCanvas source(like, picture);
  return GetPixel(source.Get(), 0, 0);
}

// With gdi32 alone: a mask clears the picture's place, then the picture
// (its key colour made black) is laid over it.
void DrawBitmapKeyed(HDC dc, HBITMAP picture, int x, int y, COLORREF key) {
  BITMAP info{};
  if (!picture || !GetObjectA(picture, sizeof info, &info)) return;
  const int width = info.bmWidth, height = info.bmHeight;
  TMemoryCanvas source(dc, picture);
  TGdiObject<HBITMAP> maskBitmap(CreateBitmap(width, height, 1, 1, nullptr));
  TMemoryCanvas mask(dc, maskBitmap.Get());
  SetBkColor(source.Get(), key);
  BitBlt(mask.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);  // key colour -> 1

  TGdiObject<HBITMAP> keyedBitmap(CreateCompatibleBitmap(dc, width, height));
  TMemoryCanvas keyed(dc, keyedBitmap.Get());
  BitBlt(keyed.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
  DrawThroughMask(dc, x, y, width, height, keyed.Get(), mask.Get());
}

void DrawThroughMask(HDC dc, int x, int y, int width, int height, HDC colour, HDC mask) {
  SetBkColor(colour, RGB(255, 255, 255));
  SetTextColor(colour, RGB(0, 0, 0));
  const DWORD kDestinationAndNotSource = 0x00220326;
  BitBlt(colour, 0, 0, width, height, mask, 0, 0, kDestinationAndNotSource);

  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  BitBlt(dc, x, y, width, height, mask, 0, 0, SRCAND);
  BitBlt(dc, x, y, width, height, colour, 0, 0, SRCPAINT);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
}
