// Fonts: registered under the Fonts key, added, and announced.
#pragma once

// For each font record whose file exists: its value under the Fonts key
// (the file name alone inside the Fonts folder, the full path elsewhere;
// an existing value stays), AddFontResourceA, and a WM_FONTCHANGE broadcast
// that a hung window cannot stall. A progress step per record.
void InstallFonts();
