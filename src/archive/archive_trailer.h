// The archive trailer: the last 42 bytes of the setup executable, the only
// way into the archive.
//
//   offset size field
//        0    1 item count N (items of block 0, the script included)
//        1    8 stored size count K (per-file mode; 0 in solid mode)
//        9    8 block-0 offset
//       17    8 block-0 length (its 9-byte header included)
//       25    8 data offset
//       33    8 data size (the share of the file data area in this file)
//       41    1 end mark 0xF1
#pragma once
#include <cstdint>

#include "toolkit/stream.h"

constexpr int32_t kTrailerSize = 42;
constexpr uint8_t kTrailerEndMark = 0xF1;
constexpr uint64_t kArchiveValueLimit = 0x80000000u;  // values must lie below 2^31

struct TArchiveTrailer {
  uint8_t itemCount = 0;
  uint64_t storedSizeCount = 0;
  uint64_t block0Offset = 0;
  uint64_t block0Length = 0;
  uint64_t dataOffset = 0;
  uint64_t dataSize = 0;
  uint8_t endMark = 0;
};

void DecodeArchiveTrailer(const uint8_t raw[kTrailerSize], TArchiveTrailer& trailer);
void EncodeArchiveTrailer(const TArchiveTrailer& trailer, uint8_t raw[kTrailerSize]);

// True when the trailer's values describe regions that lie inside a file of
// fileSize bytes and below 2^31: block 0, the data area and, after it, the
// stored size list and the item code list, all before the trailer.
bool TrailerFitsFile(const TArchiveTrailer& trailer, uint64_t fileSize);

// Reads the trailer from the end of the archive (the end of the file, or
// where a signature's certificate table begins) and checks the end mark and
// the fit. False means the file is not a sound setup.
bool ReadArchiveTrailer(TStream& file, TArchiveTrailer& trailer);
