// Raw LZMA1 streams: a properties byte, a 4-byte dictionary size, then the
// range-coded data, with or without an end marker. Decoding is liblzma's.
#pragma once
#include <lzma.h>

#include <cstdint>
#include <memory>

#include "archive/decompressor.h"

constexpr uint32_t kMaxDictionarySize = 33554432;  // 32 MiB, included
constexpr int32_t kLzmaInputSize = 65536;
// The most a stream may write into its dictionary for the next stream to reuse it.
constexpr uint64_t kKeptDictionaryUse = 1 << 20;

struct TLzmaProperties {
  uint32_t lc = 0, lp = 0, pb = 0;
  uint32_t dictionarySize = 0;
};

// Reads the 5-byte stream header; false when it is not a stream this reader
// accepts (properties byte above 224, lc + lp above 4, dictionary above 32 MiB).
bool DecodeLzmaHeader(const uint8_t header[5], TLzmaProperties& properties);

// Dictionary plus the 16-bit probability tables.
uint32_t LzmaWorkMemorySize(const TLzmaProperties& properties);

class TLZMADecompressor final : public TCustomDecompressor {
public:
  TLZMADecompressor(TReadProc read, void* context);
  ~TLZMADecompressor() override;
  static std::unique_ptr<TCustomDecompressor> Create(TReadProc read, void* context);

  int32_t Decompress(void* buffer, int32_t count) override;
  void Reset() override;
  bool Failed() const override { return failed_; }
  uint32_t WorkMemorySize() const { return workMemorySize_; }

private:
  bool StartStream();
  void RefillInput();

  bool inputExhausted_ = false;
  bool initialised_ = false;
  bool failed_ = false;  // a failed start or a data error: stays failed
  bool ended_ = false;   // the end marker was met
  lzma_stream stream_ = LZMA_STREAM_INIT;
  uint32_t workMemorySize_ = 0;
  std::unique_ptr<uint8_t[]> input_;
};
