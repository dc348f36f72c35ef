// The trailer that the setup appends to the uninstaller's own executable,
// read from the end of the file (integers little-endian):
//
//   ... program image ... | picture, N bytes | N (4) | log path, L bytes | L (2) |
//                                                                         ^ end
//
// The picture is a complete BMP file image of the setup's header picture;
// N may be 0. The log path is ANSI without a terminator. A setup may leave
// the trailer out: then the file ends with the program image.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/stream.h"

struct TUninstallerTrailer {
  std::string logPath;
  std::vector<uint8_t> picture;  // empty when N is 0
};

enum class TTrailerState {
  Sound,    // read into the trailer
  Absent,   // a program image with nothing after it
  Damaged,  // bytes after the image, or no image found, and no sound trailer
};

// Reads the trailer at the end of the stream. It is damaged when L or N do
// not fit in front of what follows them (nor behind the program image, when
// the stream holds one), the path is empty or holds a NUL, or a picture does
// not start with "BM". Each length is checked against the file before
// anything is read from it.
TTrailerState ReadUninstallerTrailer(TStream& file, TUninstallerTrailer& trailer);
