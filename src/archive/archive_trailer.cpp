#include "archive/archive_trailer.h"

#include "archive/archive_end.h"

void DecodeArchiveTrailer(const uint8_t raw[kTrailerSize], TArchiveTrailer& t) {
  t.itemCount = raw[0];
  t.storedSizeCount = LoadLE64(raw + 1);
  t.block0Offset = LoadLE64(raw + 9);
  t.block0Length = LoadLE64(raw + 17);
  t.dataOffset = LoadLE64(raw + 25);
  t.dataSize = LoadLE64(raw + 33);
  t.endMark = raw[41];
}

void EncodeArchiveTrailer(const TArchiveTrailer& t, uint8_t raw[kTrailerSize]) {
  raw[0] = t.itemCount;
  StoreLE64(raw + 1, t.storedSizeCount);
  StoreLE64(raw + 9, t.block0Offset);
  StoreLE64(raw + 17, t.block0Length);
  StoreLE64(raw + 25, t.dataOffset);
  StoreLE64(raw + 33, t.dataSize);
  raw[41] = t.endMark;
}

bool TrailerFitsFile(const TArchiveTrailer& t, uint64_t fileSize) {
  if (t.endMark != kTrailerEndMark || fileSize < uint64_t(kTrailerSize) || t.itemCount == 0) return false;
  const uint64_t limit = kArchiveValueLimit;
  if (fileSize >= limit || t.block0Offset >= limit || t.block0Length >= limit || t.dataOffset >= limit ||
      t.dataSize >= limit || t.storedSizeCount >= limit / 8)
    return false;
  // Every value is below 2^31, so none of these sums can overflow.
  const uint64_t end = fileSize - kTrailerSize;
  if (t.block0Offset + t.block0Length > end) return false;
  return t.dataOffset + t.dataSize + 8 * t.storedSizeCount + t.itemCount <= end;
}

bool ReadArchiveTrailer(TStream& file, TArchiveTrailer& trailer) {
  uint64_t end = 0;
  if (!FindArchiveEnd(file, end) || end < uint64_t(kTrailerSize)) return false;
  const int64_t at = int64_t(end) - kTrailerSize;
  uint8_t raw[kTrailerSize];
  if (file.Seek(at, TSeekOrigin::Start) != at || !file.ReadExact(raw, kTrailerSize)) return false;
  DecodeArchiveTrailer(raw, trailer);
  return TrailerFitsFile(trailer, end);
}
