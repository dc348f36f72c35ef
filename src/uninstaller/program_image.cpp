#include "uninstaller/program_image.h"

#include <algorithm>

namespace {

constexpr int64_t kNewHeaderField = 0x3C;  // offset of the "PE" signature
constexpr uint32_t kPe32 = 0x10B, kPe32Plus = 0x20B;
constexpr int kCertificateDirectory = 4;
constexpr int64_t kSectionHeaderSize = 40, kSymbolSize = 18;
constexpr uint16_t kMaxSections = 96;  // the loader's own limit

bool ReadAt(TStream& file, int64_t position, uint8_t* buffer, int32_t count) {
  return position >= 0 && file.Seek(position, TSeekOrigin::Start) == position && file.ReadExact(buffer, count);
}

uint32_t Load16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

// Where the optional header keeps NumberOfRvaAndSizes and the data
// directories; the two layouts differ by their 64-bit fields.
struct TLayout {
  int64_t directoryCount, directories;
};

bool LayoutOf(uint32_t magic, TLayout& layout) {
  if (magic == kPe32) layout = {92, 96};
  else if (magic == kPe32Plus) layout = {108, 112};
  else return false;
  return true;
}

// The certificate table's "address" is a file offset, unlike the others.
int64_t CertificateEnd(TStream& file, int64_t optional, uint32_t optionalSize, const TLayout& layout) {
  uint8_t field[8];
  if (layout.directoryCount + 4 > optionalSize || !ReadAt(file, optional + layout.directoryCount, field, 4)) return 0;
  const int64_t slot = layout.directories + kCertificateDirectory * 8;
  if (LoadLE32(field) <= uint32_t(kCertificateDirectory) || slot + 8 > optionalSize) return 0;
  if (!ReadAt(file, optional + slot, field, 8)) return 0;
  return LoadLE32(field + 4) ? int64_t(LoadLE32(field)) + LoadLE32(field + 4) : 0;
}

// The string table follows the symbols and starts with its own size.
int64_t SymbolsEnd(TStream& file, const uint8_t* coff) {
  const int64_t start = LoadLE32(coff + 8), count = LoadLE32(coff + 12);
  if (start == 0) return 0;
  const int64_t strings = start + count * kSymbolSize;
  uint8_t size[4];
  return ReadAt(file, strings, size, 4) ? strings + std::max<int64_t>(4, LoadLE32(size)) : strings;
}

int64_t SectionsEnd(TStream& file, int64_t table, uint32_t sections) {
  int64_t end = 0;
  uint8_t header[kSectionHeaderSize];
  for (uint32_t i = 0; i < sections; ++i) {
    if (!ReadAt(file, table + i * kSectionHeaderSize, header, int32_t(kSectionHeaderSize))) return -1;
    const int64_t size = LoadLE32(header + 16), start = LoadLE32(header + 20);
    if (size > 0) end = std::max(end, start + size);
  }
  return end;
}

}  // namespace

int64_t ProgramImageEnd(TStream& file) {
  const int64_t fileSize = file.Size();
  uint8_t dos[4], coff[24], optional[64];
  if (!ReadAt(file, 0, dos, 2) || dos[0] != 'M' || dos[1] != 'Z' || !ReadAt(file, kNewHeaderField, dos, 4))
    return -1;
  const int64_t pe = LoadLE32(dos);
  if (!ReadAt(file, pe, coff, 24) || coff[0] != 'P' || coff[1] != 'E' || coff[2] || coff[3]) return -1;
  // The COFF header follows the signature: sections at 2, symbols at 8 and
  // 12, the optional header's size at 16.
  const uint32_t sections = Load16(coff + 4 + 2), optionalSize = Load16(coff + 4 + 16);
  const int64_t optionalStart = pe + 24;
  TLayout layout;
  if (sections > kMaxSections || optionalSize < sizeof optional || !ReadAt(file, optionalStart, optional, 64) ||
      !LayoutOf(Load16(optional), layout))
    return -1;
  const int64_t sectionsEnd = SectionsEnd(file, optionalStart + optionalSize, sections);
  if (sectionsEnd < 0) return -1;
  // SizeOfHeaders lies at 60 in both layouts.
  const int64_t end = std::max({int64_t(LoadLE32(optional + 60)), sectionsEnd, SymbolsEnd(file, coff + 4),
                                CertificateEnd(file, optionalStart, optionalSize, layout)});
  return end <= fileSize ? end : -1;
}
