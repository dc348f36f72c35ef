// Byte streams: the one interface through which the archive reader, the
// packer and the installation move bytes between files and memory.
#pragma once
#include <cstdint>

enum class TSeekOrigin { Start, Current, End };

class TStream {
public:
  virtual ~TStream() = default;
  // Delivers up to count bytes; returns how many (0 at the end or on failure).
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  // Returns the bytes written, or -1 when the write failed.
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  // Returns the new position, or -1 when the position cannot be taken.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size() = 0;
  int64_t Position() { return Seek(0, TSeekOrigin::Current); }
  // Reads exactly count bytes; false when fewer arrived.
  bool ReadExact(void* buffer, int32_t count) { return Read(buffer, count) == count; }
};

// Something that fills a buffer with the next bytes of its content, such as a
// block reader. Read returns false when it could not deliver count sound bytes.
class TByteSource {
public:
  virtual ~TByteSource() = default;
  virtual bool Read(void* buffer, int32_t count) = 0;
};

// Little-endian integers of the archive.
inline uint32_t LoadLE32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t LoadLE64(const uint8_t* p) { return LoadLE32(p) | uint64_t(LoadLE32(p + 4)) << 32; }
inline void StoreLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void StoreLE64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (8 * i));
}
