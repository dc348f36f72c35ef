#include "uninstaller/header_band.h"

#include "archive/script_text.h"
#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "toolkit/gdi_object.h"

namespace {

const char kClassName[] = "VelmoraUninstallerHeader";
const int kWidth = 497, kHeight = 60, kPictureHeight = 58, kGradientWidth = 170;
enum { kTitle = 1, kSubtitle = 2 };

struct THeaderBand {
  THeaderStyle style;
  TBitmap picture;
};

THeaderBand& Band() {
  static THeaderBand band;
  return band;
}

// A DC's own bitmap selected into it, both released together.
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

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  RECT r = {left, top, right, bottom};
  TGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.Get());
}

// Channel by channel from start towards end over the width, start + (end -
// start) * x / width: the end colour itself is never reached.
void PaintGradient(HDC dc, COLORREF start, COLORREF end) {
  auto channel = [](COLORREF c, int shift) { return int(c >> shift & 0xFF); };
  for (int x = 0; x < kGradientWidth; ++x) {
    int rgb[3];
    for (int i = 0; i < 3; ++i) {
      const int s = channel(start, 8 * i), e = channel(end, 8 * i);
      rgb[i] = s + (e - s) * x / kGradientWidth;
    }
    Fill(dc, x, 0, x + 1, kPictureHeight, RGB(rgb[0], rgb[1], rgb[2]));
  }
}

// Draws the picture with its pixel (0, 0)'s colour left out, with gdi32 alone:
// a mask clears the picture's place, then the picture (its key colour made
// black) is laid over it.
void DrawTransparent(HDC dc, HBITMAP picture, int x, int y, int width, int height) {
  TMemoryCanvas source(dc, picture);
  const COLORREF key = GetPixel(source.Get(), 0, 0);
  TGdiObject<HBITMAP> maskBitmap(CreateBitmap(width, height, 1, 1, nullptr));
  TMemoryCanvas mask(dc, maskBitmap.Get());
  SetBkColor(source.Get(), key);
  BitBlt(mask.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);  // key colour -> 1

  TGdiObject<HBITMAP> keyedBitmap(CreateCompatibleBitmap(dc, width, height));
  TMemoryCanvas keyed(dc, keyedBitmap.Get());
  BitBlt(keyed.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
  SetBkColor(keyed.Get(), RGB(255, 255, 255));
  SetTextColor(keyed.Get(), RGB(0, 0, 0));
  const DWORD kDestinationAndNotSource = 0x00220326;
  BitBlt(keyed.Get(), 0, 0, width, height, mask.Get(), 0, 0, kDestinationAndNotSource);

  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  BitBlt(dc, x, y, width, height, mask.Get(), 0, 0, SRCAND);
  BitBlt(dc, x, y, width, height, keyed.Get(), 0, 0, SRCPAINT);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
}

void DrawPicture(HDC dc, const THeaderBand& band) {
  BITMAP info{};
  if (!band.picture || !GetObjectA(band.picture.Handle(), sizeof info, &info)) return;
  // Never over the etched edge.
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, 0, 0, kWidth, kPictureHeight);
  const POINT at = band.style.picturePlace;
  if (band.style.transparent) {
    DrawTransparent(dc, band.picture.Handle(), at.x, at.y, info.bmWidth, info.bmHeight);
  } else {
    TMemoryCanvas source(dc, band.picture.Handle());
    BitBlt(dc, at.x, at.y, info.bmWidth, info.bmHeight, source.Get(), 0, 0, SRCCOPY);
  }
  RestoreDC(dc, saved);
}

void PaintBand(HDC dc, const THeaderBand& band) {
  Fill(dc, 0, 0, kWidth, kHeight, band.style.bandColour);
  if (band.style.gradient) PaintGradient(dc, band.style.gradientStart, band.style.bandColour);
  if (band.style.picture) DrawPicture(dc, band);
  Fill(dc, 0, kHeight - 2, kWidth, kHeight - 1, GetSysColor(COLOR_APPWORKSPACE));
  Fill(dc, 0, kHeight - 1, kWidth, kHeight, RGB(255, 255, 255));
}

LRESULT CALLBACK HeaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      // Drawn off screen first, so that the band does not flicker.
      TGdiObject<HBITMAP> buffer(CreateCompatibleBitmap(dc, kWidth, kHeight));
      {
        TMemoryCanvas canvas(dc, buffer.Get());
        PaintBand(canvas.Get(), Band());
        BitBlt(dc, 0, 0, kWidth, kHeight, canvas.Get(), 0, 0, SRCCOPY);
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      // The labels show the band through.
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

COLORREF ColourFromSetting(const std::string& text) {
  const uint32_t value = uint32_t(TextInt(text));
  if (value & 0x80000000u) return GetSysColor(int(value - 0x80000000u));
  return value & 0xFFFFFFu;
}

HWND CreateHeaderBand(HWND window, const THeaderStyle& style, const std::vector<uint8_t>& picture, HFONT titleFont) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = HeaderProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);

  THeaderBand& band = Band();
  band.style = style;
  if (!picture.empty()) band.picture = LoadBitmapFromBytes(picture.data(), picture.size());
  // No WS_CLIPCHILDREN: the band paints under its transparent labels.
  HWND header = CreateChild(window, kClassName, "", WS_VISIBLE, 0, 0, kWidth, kHeight);
  HWND title = CreateChild(header, "STATIC", "", WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, style.titlePlace.x,
                           style.titlePlace.y, 302, 14, kTitle);
  SetWindowFont(title, titleFont);
  CreateChild(header, "STATIC", "", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, style.subtitlePlace.x, style.subtitlePlace.y,
              297, 26, kSubtitle);
  return header;
}

void SetHeaderTexts(HWND band, const std::string& title, const std::string& subtitle) {
  SetDlgItemTextA(band, kTitle, title.c_str());
  SetDlgItemTextA(band, kSubtitle, subtitle.c_str());
  RedrawWindow(band, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
