#include "archive/archive_end.h"

namespace {

constexpr int64_t kNewHeaderPointer = 0x3C;
constexpr uint16_t kPe32Magic = 0x10B, kPe32PlusMagic = 0x20B;
constexpr uint32_t kSecurityDirectory = 4;
constexpr int kSigningPadding = 7;  // the file is padded to a multiple of 8

bool ReadAt(TStream& file, int64_t at, void* bytes, int32_t count) {
  return file.Seek(at, TSeekOrigin::Start) == at && file.ReadExact(bytes, count);
}

uint16_t LoadLE16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

}  // namespace

bool ReadSecurityEntry(TStream& file, uint32_t& offset, uint32_t& length) {
  uint8_t raw[8];
  if (!ReadAt(file, 0, raw, 2) || raw[0] != 'M' || raw[1] != 'Z') return false;
  if (!ReadAt(file, kNewHeaderPointer, raw, 4)) return false;
  const int64_t pe = LoadLE32(raw);
  uint8_t header[24];
  if (!ReadAt(file, pe, header, 24) || LoadLE32(header) != 0x00004550) return false;  // "PE\0\0"
  const uint16_t optionalSize = LoadLE16(header + 20);
  const int64_t optional = pe + 24;
  if (!ReadAt(file, optional, raw, 2)) return false;
  const uint16_t magic = LoadLE16(raw);
  if (magic != kPe32Magic && magic != kPe32PlusMagic) return false;
  const int64_t countAt = magic == kPe32Magic ? 92 : 108;
  const int64_t entryAt = countAt + 4 + 8 * kSecurityDirectory;
  if (optionalSize < entryAt + 8 || !ReadAt(file, optional + countAt, raw, 4) || LoadLE32(raw) <= kSecurityDirectory)
    return false;
  if (!ReadAt(file, optional + entryAt, raw, 8)) return false;
  offset = LoadLE32(raw);
  length = LoadLE32(raw + 4);
  return offset != 0 || length != 0;
}

bool FindArchiveEnd(TStream& file, uint64_t& end) {
  const int64_t size = file.Size();
  if (size < 0) return false;
  end = uint64_t(size);
  uint32_t offset = 0, length = 0;
  if (!ReadSecurityEntry(file, offset, length)) return true;
  const uint64_t tableEnd = uint64_t(offset) + length;
  if (length == 0 || tableEnd > end) return false;
  if (tableEnd < end) return true;  // the image's own signature, inside the file
  end = offset;
  uint8_t tail[kSigningPadding];
  const int32_t n = int32_t(end < uint64_t(kSigningPadding) ? end : kSigningPadding);
  if (!ReadAt(file, int64_t(end) - n, tail, n)) return false;
  for (int32_t i = n - 1; i >= 0 && tail[i] == 0; --i) --end;
  return true;
}
