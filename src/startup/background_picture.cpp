#include "startup/background_picture.h"

#include <cstdint>
#include <vector>

#include "archive/setup_script.h"
#include "startup/resource_dispatch.h"
#include "startup/temp_folder.h"
#include "toolkit/drawing.h"
#include "toolkit/file_stream.h"
#include "toolkit/layout_scale.h"
#include "toolkit/scaled_picture.h"

namespace {

enum TPictureMode { kStretch = 0, kTile = 1, kCentre = 2 };

COLORREF FieldColour(int n) { return ResolveColour(uint32_t(FieldInt(n))); }

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  auto file = TFileStream::Open(path, TFileStream::Mode::OpenRead);
  if (!file) return bytes;
  const int64_t size = file->Size();
  if (size <= 0 || size > INT32_MAX) return bytes;
  bytes.resize(size_t(size));
  if (!file->ReadExact(bytes.data(), int32_t(size))) bytes.clear();
  return bytes;
}

TBitmap LoadBackgroundPicture() {
  const std::vector<uint8_t> bytes = ReadFileBytes(TemporaryFileName(kBackgroundPicture));
  return LoadBitmapFromBytes(bytes.data(), bytes.size());
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  return {info.bmWidth, info.bmHeight};
}

// A window-sized bitmap, black until something is drawn on it.
TBitmap BlackBitmap(HDC like, int width, int height) {
  TBitmap bitmap(CreateCompatibleBitmap(like, width, height));
  if (!bitmap) return bitmap;
  TMemoryCanvas canvas(like, bitmap.Handle());
  PatBlt(canvas.Get(), 0, 0, width, height, BLACKNESS);
  return bitmap;
}

void DrawStretched(HDC dc, HBITMAP picture, int width, int height) {
  const SIZE size = BitmapSize(picture);
  TMemoryCanvas source(dc, picture);
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);  // HALFTONE needs the origin set again
  StretchBlt(dc, 0, 0, width, height, source.Get(), 0, 0, size.cx, size.cy, SRCCOPY);
}

// At the screen's scale, as the rest of the window.
void DrawCentred(HDC dc, HBITMAP picture, int width, int height) {
  const int dpi = ScreenDpi();
  const SIZE size = BitmapSize(picture);
  DrawPicture(dc, picture, CentredOffset(width, ScaleTo(size.cx, dpi)), CentredOffset(height, ScaleTo(size.cy, dpi)),
              dpi);
}

// The tile at the screen's scale.
TBitmap ScaledTile(HDC like, TBitmap picture) {
  const int dpi = ScreenDpi();
  if (dpi == kBaseDpi) return picture;
  const SIZE size = BitmapSize(picture.Handle());
  TBitmap tile(CreateCompatibleBitmap(like, ScaleTo(size.cx, dpi), ScaleTo(size.cy, dpi)));
  if (!tile) return picture;
  TMemoryCanvas canvas(like, tile.Handle());
  DrawPicture(canvas.Get(), picture.Handle(), 0, 0, dpi);
  return tile;
}

// A brush made from the bitmap, which it keeps alive.
TBackdrop BrushOf(TBitmap bitmap) {
  TBackdrop backdrop;
  backdrop.brush = TGdiObject<HBRUSH>(CreatePatternBrush(bitmap.Handle()));
  backdrop.bitmap = std::move(bitmap);
  return backdrop;
}

TBackdrop PictureBackdrop(HDC like, int width, int height) {
  const int mode = FieldInt(7);
  if (mode != kStretch && mode != kTile && mode != kCentre) return {};
  TBitmap picture = LoadBackgroundPicture();
  if (mode == kTile && picture) return BrushOf(ScaledTile(like, std::move(picture)));  // from the top left corner
  TBitmap background = BlackBitmap(like, width, height);
  if (picture && background) {
    TMemoryCanvas canvas(like, background.Handle());
    if (mode == kStretch) DrawStretched(canvas.Get(), picture.Handle(), width, height);
    if (mode == kCentre) DrawCentred(canvas.Get(), picture.Handle(), width, height);
  }
  return BrushOf(std::move(background));
}

TBackdrop GradientBackdrop(HDC like, int width, int height) {
  TBitmap background = BlackBitmap(like, width, height);
  if (background) {
    TMemoryCanvas canvas(like, background.Handle());
    PaintGradient(canvas.Get(), width, height, FieldColour(4), FieldColour(5), !FieldFlag(6));
  }
  return BrushOf(std::move(background));
}

}  // namespace

int CentredOffset(int window, int picture) {
  const int difference = window - picture;
  const int half = difference / 2;  // toward zero
  if (difference % 2 == 0) return half;
  // Exactly between half and its neighbour away from zero: take the even one.
  return half % 2 == 0 ? half : (difference > 0 ? half + 1 : half - 1);
}

TBackdrop MakeBackdrop(HDC like, int width, int height) {
  return FieldFlag(3) ? GradientBackdrop(like, width, height) : PictureBackdrop(like, width, height);
}
