#include "toolkit/header_band.h"

#include "archive/script_text.h"
#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "toolkit/drawing.h"
#include "toolkit/layout_scale.h"
#include "toolkit/scaled_picture.h"
#include "toolkit/top_window.h"

namespace {

const char kClassName[] = "VelmoraHeaderBand";
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

void DrawBandPicture(HDC dc, const THeaderBand& band, int dpi) {
  if (!band.picture) return;
  auto s = [dpi](int value) { return ScaleTo(value, dpi); };
  // Never over the etched edge.
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, 0, 0, s(kWidth), s(kPictureHeight));
  const POINT at = band.style.picturePlace;
  const COLORREF key = CornerColour(dc, band.picture.Handle());
  DrawPicture(dc, band.picture.Handle(), s(at.x), s(at.y), dpi, band.style.transparent ? &key : nullptr);
  RestoreDC(dc, saved);
}

void PaintBand(HDC dc, const THeaderBand& band, int dpi) {
  auto s = [dpi](int value) { return ScaleTo(value, dpi); };
  FillColour(dc, 0, 0, s(kWidth), s(kHeight), band.style.bandColour);
  if (band.style.gradient) {
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, 0, 0, s(kGradientWidth), s(kPictureHeight));
    PaintGradient(dc, s(kGradientWidth), s(kPictureHeight), band.style.gradientStart, band.style.bandColour, false);
    RestoreDC(dc, saved);
  }
  if (band.style.picture) DrawBandPicture(dc, band, dpi);
  FillColour(dc, 0, s(kHeight - 2), s(kWidth), s(kHeight - 1), GetSysColor(COLOR_APPWORKSPACE));
  FillColour(dc, 0, s(kHeight - 1), s(kWidth), s(kHeight), RGB(255, 255, 255));
}

LRESULT CALLBACK HeaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(window, [window](HDC dc, const RECT&) { PaintBand(dc, Band(), LayoutDpi(window)); });
      return 0;
    case WM_CTLCOLORSTATIC:
      // The labels show the band through.
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

COLORREF ColourFromSetting(const std::string& text) { return ResolveColour(uint32_t(TextInt(text))); }

HWND CreateHeaderBand(HWND window, const THeaderStyle& style, const std::vector<uint8_t>& picture, HFONT titleFont) {
  RegisterWindowClass(kClassName, HeaderProc, false);

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
