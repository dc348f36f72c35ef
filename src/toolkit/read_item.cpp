#include "toolkit/read_item.h"

#include <algorithm>
#include <vector>

bool ReadItemLength(TByteSource& source, int32_t& length) {
  uint8_t raw[4];
  length = 0;
  if (!source.Read(raw, 4)) return false;
  length = int32_t(LoadLE32(raw));
  return true;
}

bool ReadItem(TMemoryStream& destination, TByteSource& source, int32_t limit) {
  int32_t remaining = 0;
  bool sound = ReadItemLength(source, remaining) && remaining <= limit;
  // The buffer grows with the bytes that really arrive, never with what a
  // (possibly damaged) length claims.
  std::vector<uint8_t> piece(kItemPieceSize);
  while (sound && remaining > 0) {
    int32_t n = std::min(remaining, kItemPieceSize);
    if (!source.Read(piece.data(), n) || destination.Write(piece.data(), n) != n) sound = false;
    remaining -= n;
  }
  destination.Seek(0, TSeekOrigin::Start);
  return sound;
}
