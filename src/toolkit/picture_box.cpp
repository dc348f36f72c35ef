#include "toolkit/picture_box.h"

#include "toolkit/controls.h"
#include "toolkit/drawing.h"
#include "toolkit/layout_scale.h"
#include "toolkit/scaled_picture.h"
#include "toolkit/top_window.h"

namespace {

const char kClassName[] = "VelmoraPictureBox";

struct TPictureBox {
  HBITMAP picture;
  POINT place;
  TTransparency transparency;
  COLORREF background;
};

void Paint(HDC dc, const RECT& client, const TPictureBox& box, int dpi) {
  FillColour(dc, 0, 0, client.right, client.bottom, box.background);
  if (!box.picture) return;
  const int x = ScaleTo(box.place.x, dpi), y = ScaleTo(box.place.y, dpi);
  COLORREF key = RGB(0, 0, 0);
  if (box.transparency == TTransparency::CornerPixel) key = CornerColour(dc, box.picture);
  DrawPicture(dc, box.picture, x, y, dpi, box.transparency == TTransparency::Opaque ? nullptr : &key);
}

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<TPictureBox*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(window, [box, window](HDC dc, const RECT& client) {
        if (box) Paint(dc, client, *box, LayoutDpi(window));
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
