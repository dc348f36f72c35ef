#include "toolkit/bitmap.h"

#include <cstring>
#include <vector>

namespace {

// Bytes of the colour table that follows the info header.
uint64_t ColourTableSize(const BITMAPINFOHEADER& info) {
  uint64_t colours = info.biClrUsed;
  if (colours == 0 && info.biBitCount <= 8) colours = uint64_t(1) << info.biBitCount;
  uint64_t masks = (info.biCompression == BI_BITFIELDS && info.biSize == sizeof(BITMAPINFOHEADER)) ? 12 : 0;
  return masks + 4 * colours;
}

uint64_t PixelBytes(const BITMAPINFOHEADER& info) {
  if (info.biCompression == BI_RLE8 || info.biCompression == BI_RLE4) return info.biSizeImage;
  uint64_t stride = ((uint64_t(info.biWidth) * info.biBitCount + 31) / 32) * 4;
  int64_t height = info.biHeight < 0 ? -int64_t(info.biHeight) : info.biHeight;
  return stride * uint64_t(height);
}

}  // namespace

TBitmap LoadBitmapFromBytes(const uint8_t* bytes, size_t size) {
  BITMAPFILEHEADER file;
  BITMAPINFOHEADER info;
  if (size < sizeof file + sizeof info) return TBitmap();
  std::memcpy(&file, bytes, sizeof file);
  std::memcpy(&info, bytes + sizeof file, sizeof info);
  if (file.bfType != 0x4D42 || info.biSize < sizeof info || info.biWidth <= 0 || info.biHeight == 0 ||
      info.biPlanes != 1)
    return TBitmap();
  uint64_t headerEnd = sizeof file + uint64_t(info.biSize) + ColourTableSize(info);
  uint64_t pixels = PixelBytes(info);
  if (headerEnd > size || file.bfOffBits < headerEnd - ColourTableSize(info) || file.bfOffBits > size ||
      pixels > size - file.bfOffBits)
    return TBitmap();
  // An aligned copy of the info header and colour table.
  std::vector<uint8_t> header(bytes + sizeof file, bytes + headerEnd);
  const BITMAPINFO* bitmapInfo = reinterpret_cast<const BITMAPINFO*>(header.data());
  HDC screen = GetDC(nullptr);
  if (!screen) return TBitmap();
  HBITMAP handle = CreateDIBitmap(screen, &bitmapInfo->bmiHeader, CBM_INIT, bytes + file.bfOffBits, bitmapInfo, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return TBitmap(handle);
}
