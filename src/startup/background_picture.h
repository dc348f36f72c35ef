// What fills the background window: the gradient or the background picture
// the setup script asks for (fields 3 to 7), made once for the window's size.
#pragma once
#include <windows.h>

#include "toolkit/bitmap.h"
#include "toolkit/gdi_object.h"

// A bitmap brush and the bitmap it is made from. The brush fills the window
// from its top left corner, repeating when the bitmap is smaller. A null
// brush draws nothing.
struct TBackdrop {
  TBitmap bitmap;
  TGdiObject<HBRUSH> brush;
};

// The backdrop for a window of width x height; `like` is a device context
// of the screen the window is on. A picture that is missing or not a bitmap
// gives a black background.
TBackdrop MakeBackdrop(HDC like, int width, int height);

// Where a centred picture starts: (window - picture) / 2, a half going to
// the even neighbour (a difference of 5 gives 2, of 7 gives 4, of -5 gives -2).
int CentredOffset(int window, int picture);
