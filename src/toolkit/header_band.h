// The band at the top of the wizard and the uninstall window: the
// band colour, an optional gradient at its left, the setup's header picture,
// an etched lower edge, and the title and subtitle drawn over them.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct THeaderStyle {
  COLORREF bandColour = RGB(255, 255, 255);  // also where the gradient ends
  bool gradient = false;
  COLORREF gradientStart = RGB(255, 255, 255);
  bool picture = false;      // draw the picture, when there is one
  bool transparent = false;  // the picture's pixel (0, 0) is see-through
  POINT picturePlace{0, 0};
  POINT titlePlace{171, 8};
  POINT subtitlePlace{178, 26};
};

// A colour setting: a decimal colour reference (0x00BBGGRR), or with the top
// bit set (0x80000000 + n) system colour n.
COLORREF ColourFromSetting(const std::string& text);

// Creates the band at (0, 0), 497 x 60, in the window, with its title label
// (bold) and subtitle label; the picture is a BMP file image, maybe empty.
HWND CreateHeaderBand(HWND window, const THeaderStyle& style, const std::vector<uint8_t>& picture, HFONT titleFont);
// Sets both texts and redraws the band under them.
void SetHeaderTexts(HWND band, const std::string& title, const std::string& subtitle);
