#include "toolkit/picture_box.h"

#include "toolkit/controls.h"
#include "toolkit/drawing.h"
#include "toolkit/top_window.h"

namespace {

const char kClassName[] = "VelmoraPictureBox";

struct TPictureBox {
  HBITMAP picture;
  POINT place;
  TTransparency transparency;
  COLORREF background;
};

void Paint(HDC dc, const RECT& client, const TPictureBox& box) {
  FillColour(dc, 0, 0, client.right, client.bottom, box.background);
  if (!box.picture) return;
  switch (box.transparency) {
    case TTransparency::Opaque:
      DrawBitmap(dc, box.picture, box.place.x, box.place.y);
      break;
    case TTransparency::CornerPixel:
      DrawBitmapKeyed(dc, box.picture, box.place.x, box.place.y, CornerColour(dc, box.picture));
      break;
    case TTransparency::Black:
      DrawBitmapKeyed(dc, box.picture, box.place.x, box.place.y, RGB(0, 0, 0));
      break;
  }
}

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<TPictureBox*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(window, [box](HDC dc, const RECT& client) {
        if (box) Paint(dc, client, *box);
      });
      return 0;
    case WM_NCDESTROY:
      delete box;
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND CreatePictureBox(HWND parent, int x, int y, int width, int height, HBITMAP picture, POINT place,
                      TTransparency transparency, COLORREF background) {
  RegisterWindowClass(kClassName, PictureProc, false);
  HWND window = CreateChild(parent, kClassName, "", WS_VISIBLE, x, y, width, height);
  if (window)
    SetWindowLongPtrA(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(new TPictureBox{picture, place, transparency, background}));
  return window;
}
