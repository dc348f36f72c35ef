// The trailer that the setup appends to the uninstaller's own executable,
// read from the end of the file (integers little-endian):
//
//   ... program image ... | picture, N bytes | N (4) | log path, L bytes | L (2) |
//                                                                         ^ end
//
// The picture is a complete BMP file image of the setup's header picture;
// N may be 0. The log path is ANSI without a terminator.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/stream.h"

struct TUninstallerTrailer {
  std::string logPath;
  std::vector<uint8_t> picture;  // empty when N is 0
};

// Reads the trailer at the end of the stream. False when it is not sound:
// L or N do not fit in front of what follows them, the path is empty or
// holds a NUL, or a picture does not start with "BM". Each length is checked
// against the file before anything is read from it.
bool ReadUninstallerTrailer(TStream& file, TUninstallerTrailer& trailer);
