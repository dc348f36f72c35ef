#include "archive/lzma_decompressor.h"

#include "toolkit/stream.h"

bool DecodeLzmaHeader(const uint8_t header[5], TLzmaProperties& properties) {
  uint32_t p = header[0];
  if (p > 224) return false;
  properties.pb = p / 45;
  properties.lp = (p % 45) / 9;
  properties.lc = p % 9;
  // liblzma decodes only lc + lp <= 4; such streams count as invalid.
  if (properties.lc + properties.lp > 4) return false;
  properties.dictionarySize = LoadLE32(header + 1);
  if (properties.dictionarySize == 0) properties.dictionarySize = 1;
  return properties.dictionarySize <= kMaxDictionarySize;
}

uint32_t LzmaWorkMemorySize(const TLzmaProperties& properties) {
  return properties.dictionarySize + 2 * (1846 + (768u << (properties.lc + properties.lp)));
}

TLZMADecompressor::TLZMADecompressor(TReadProc read, void* context)
    : TCustomDecompressor(read, context), input_(new uint8_t[kLzmaInputSize]) {}

TLZMADecompressor::~TLZMADecompressor() { lzma_end(&stream_); }

std::unique_ptr<TCustomDecompressor> TLZMADecompressor::Create(TReadProc read, void* context) {
  return std::make_unique<TLZMADecompressor>(read, context);
}

void TLZMADecompressor::Reset() {
  initialised_ = false;
  inputExhausted_ = false;
  failed_ = false;
  ended_ = false;
}

bool TLZMADecompressor::StartStream() {
  uint8_t header[5];
  if (ReadInput(header, 5) != 5) return false;
  TLzmaProperties properties;
  if (!DecodeLzmaHeader(header, properties)) return false;

  lzma_options_lzma options{};
  options.dict_size = properties.dictionarySize;
  options.lc = properties.lc;
  options.lp = properties.lp;
  options.pb = properties.pb;
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  // Re-initialising the same lzma_stream keeps its dictionary when the size
  // is unchanged, so a following stream with equal properties reuses it. A
  // stream that wrote more than kKeptDictionaryUse into it is let go first:
  // small files then share one dictionary, and a large file's pages of it
  // are not held for the files after it.
  if (stream_.total_out > kKeptDictionaryUse) {
    lzma_end(&stream_);
    stream_ = LZMA_STREAM_INIT;
  }
  if (lzma_raw_decoder(&stream_, filters) != LZMA_OK) return false;
  stream_.avail_in = 0;
  workMemorySize_ = LzmaWorkMemorySize(properties);
  initialised_ = true;
  return true;
}

void TLZMADecompressor::RefillInput() {
  if (inputExhausted_) return;
  int32_t n = ReadInput(input_.get(), kLzmaInputSize);
  if (n <= 0) {
    inputExhausted_ = true;
    return;
  }
  stream_.next_in = input_.get();
  stream_.avail_in = size_t(n);
}

int32_t TLZMADecompressor::Decompress(void* buffer, int32_t count) {
  if (failed_ || ended_ || count <= 0) return 0;
  if (!initialised_ && !StartStream()) {
    failed_ = true;  // never read the following bytes as a new stream header
    return 0;
  }
  stream_.next_out = static_cast<uint8_t*>(buffer);
  stream_.avail_out = size_t(count);
  while (stream_.avail_out > 0) {
    if (stream_.avail_in == 0) RefillInput();
    size_t before = stream_.avail_out;
    lzma_ret r = lzma_code(&stream_, LZMA_RUN);
    if (r == LZMA_STREAM_END) {
      ended_ = true;
      break;
    }
    if (r == LZMA_BUF_ERROR) break;  // no progress possible: the input has ended
    if (r != LZMA_OK) {
      failed_ = true;
      break;
    }
    if (stream_.avail_in == 0 && inputExhausted_ && stream_.avail_out == before) break;
  }
  return count - int32_t(stream_.avail_out);
}
