// Small helpers shared by the core tests.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "mksetup/archive_writer.h"
#include "toolkit/memory_stream.h"
#include "toolkit/stream.h"

// Text-like bytes that compress well, then noise that does not.
inline TBytes MixedBytes(size_t size, uint32_t seed = 1) {
  TBytes out(size);
  std::mt19937 random(seed);
  static const char kWords[] = "lorem ipsum dolor sit amet setup archive chunk block item ";
  for (size_t i = 0; i < size; ++i)
    out[i] = (i / 4096) % 3 == 2 ? uint8_t(random()) : uint8_t(kWords[(i * 7 + i / 13) % (sizeof kWords - 1)]);
  return out;
}

inline TBytes TextBytes(const std::string& text) { return TBytes(text.begin(), text.end()); }

inline TBytes Concat(std::initializer_list<TBytes> parts) {
  TBytes out;
  for (const TBytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// A stored or LZMA block over the given items.
inline TBytes BlockOfItems(const std::vector<TBytes>& items, const TBlockOptions& options) {
  TBytes content;
  for (const TBytes& item : items) AppendItem(content, item);
  return BuildBlock(content, options);
}

inline TBlockOptions Stored() {
  TBlockOptions options;
  options.compressed = false;
  return options;
}

inline TBlockOptions Lzma(bool endMarker = true) {
  TBlockOptions options;
  options.lzma.endMarker = endMarker;
  return options;
}

// Accepts `room` bytes, then fails every write (a full disk).
class TFullStream : public TStream {
public:
  explicit TFullStream(int64_t room) : room_(room) {}
  int32_t Read(void*, int32_t) override { return 0; }
  int32_t Write(const void*, int32_t count) override {
    if (count > room_) return -1;
    room_ -= count;
    return count;
  }
  int64_t Seek(int64_t, TSeekOrigin) override { return 0; }
  int64_t Size() override { return 0; }

private:
  int64_t room_;
};
