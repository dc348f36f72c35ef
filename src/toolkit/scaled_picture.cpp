#include "toolkit/scaled_picture.h"

#include <cstdint>
#include <vector>

#include "toolkit/drawing.h"
#include "toolkit/layout_scale.h"

namespace {

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  return info;
}

// The pixels as 0x00RRGGBB, top row first; empty when they cannot be read.
std::vector<uint32_t> PixelsOf(HDC like, HBITMAP picture, int width, int height) {
  std::vector<uint32_t> pixels(size_t(width) * size_t(height));
  BITMAPINFO info = TopDown32(width, height);
  if (GetDIBits(like, picture, 0, UINT(height), pixels.data(), &info, DIB_RGB_COLORS) != height) pixels.clear();
  return pixels;
}

uint32_t ToDib(COLORREF colour) { return uint32_t(GetRValue(colour)) << 16 | GetGValue(colour) << 8 | GetBValue(colour); }

// Each key pixel next to opaque ones takes their mean colour, in rings out
// from the opaque part: smoothing then finds only the picture's own colours
// at its edges.
void BleedIntoKey(std::vector<uint32_t>& pixels, std::vector<bool>& key, int width, int height) {
  constexpr int kRings = 3;
  for (int ring = 0; ring < kRings; ++ring) {
    std::vector<bool> filled = key;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        if (!key[size_t(y) * width + x]) continue;
        uint32_t r = 0, g = 0, b = 0, n = 0;
        const int dx[] = {-1, 1, 0, 0}, dy[] = {0, 0, -1, 1};
        for (int k = 0; k < 4; ++k) {
          const int nx = x + dx[k], ny = y + dy[k];
          if (nx < 0 || ny < 0 || nx >= width || ny >= height || key[size_t(ny) * width + nx]) continue;
          const uint32_t p = pixels[size_t(ny) * width + nx];
          r += p >> 16 & 0xFF, g += p >> 8 & 0xFF, b += p & 0xFF, ++n;
        }
        if (n == 0) continue;
        pixels[size_t(y) * width + x] = (r / n) << 16 | (g / n) << 8 | (b / n);
        filled[size_t(y) * width + x] = false;
      }
    key.swap(filled);
  }
}

// The picture stretched to width x height with halftone smoothing.
TGdiObject<HBITMAP> Smoothed(HDC like, const std::vector<uint32_t>& pixels, int fromWidth, int fromHeight, int width,
                             int height) {
  BITMAPINFO info = TopDown32(fromWidth, fromHeight);
  TGdiObject<HBITMAP> scaled(CreateCompatibleBitmap(like, width, height));
  TMemoryCanvas canvas(like, scaled.Get());
  SetStretchBltMode(canvas.Get(), HALFTONE);
  SetBrushOrgEx(canvas.Get(), 0, 0, nullptr);
  StretchDIBits(canvas.Get(), 0, 0, width, height, 0, 0, fromWidth, fromHeight, pixels.data(), &info, DIB_RGB_COLORS,
                SRCCOPY);
  return scaled;
}

// A monochrome mask at width x height: 1 where the picture is see-through,
// scaled without smoothing.
TGdiObject<HBITMAP> KeyMask(HDC like, HBITMAP picture, int fromWidth, int fromHeight, int width, int height,
                            COLORREF key) {
  TGdiObject<HBITMAP> original(CreateBitmap(fromWidth, fromHeight, 1, 1, nullptr));
  {
    TMemoryCanvas source(like, picture);
    TMemoryCanvas mask(like, original.Get());
    SetBkColor(source.Get(), key);
    BitBlt(mask.Get(), 0, 0, fromWidth, fromHeight, source.Get(), 0, 0, SRCCOPY);
  }
  TGdiObject<HBITMAP> scaled(CreateBitmap(width, height, 1, 1, nullptr));
  TMemoryCanvas from(like, original.Get());
  TMemoryCanvas to(like, scaled.Get());
  SetStretchBltMode(to.Get(), COLORONCOLOR);
  StretchBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, fromWidth, fromHeight, SRCCOPY);
  return scaled;
}

}  // namespace

void DrawPicture(HDC dc, HBITMAP picture, int x, int y, int dpi, const COLORREF* key) {
  BITMAP bitmap{};
  if (!picture || !GetObjectA(picture, sizeof bitmap, &bitmap)) return;
  if (dpi == kBaseDpi) {
    if (key) DrawBitmapKeyed(dc, picture, x, y, *key);
    else DrawBitmap(dc, picture, x, y);
    return;
  }
  const int fromWidth = bitmap.bmWidth, fromHeight = bitmap.bmHeight;
  const int width = ScaleTo(fromWidth, dpi), height = ScaleTo(fromHeight, dpi);
  std::vector<uint32_t> pixels = PixelsOf(dc, picture, fromWidth, fromHeight);
  if (pixels.empty() || width <= 0 || height <= 0) return;
  if (key) {
    std::vector<bool> isKey(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) isKey[i] = pixels[i] == ToDib(*key);
    BleedIntoKey(pixels, isKey, fromWidth, fromHeight);
  }
  TGdiObject<HBITMAP> colour = Smoothed(dc, pixels, fromWidth, fromHeight, width, height);
  TMemoryCanvas colourCanvas(dc, colour.Get());
  if (!key) {
    BitBlt(dc, x, y, width, height, colourCanvas.Get(), 0, 0, SRCCOPY);
    return;
  }
  TGdiObject<HBITMAP> maskBitmap = KeyMask(dc, picture, fromWidth, fromHeight, width, height, *key);
  TMemoryCanvas mask(dc, maskBitmap.Get());
  DrawThroughMask(dc, x, y, width, height, colourCanvas.Get(), mask.Get());
}
