#include "archive/block_reader.h"

#include <algorithm>
#include <cstring>

#include "archive/crc32.h"

TCompressedBlockReader::TCompressedBlockReader(TStream& source, TDecompressorClass decompressorClass)
    : source_(source) {
  bool compressed = false;
  if (!OpenBlock(compressed) || !compressed) return;
  owned_ = decompressorClass(&TCompressedBlockReader::ReadStoredProc, this);
  decompressor_ = owned_.get();
}

TCompressedBlockReader::TCompressedBlockReader(TStream& source, TCustomDecompressor& decompressor)
    : source_(source) {
  bool compressed = false;
  if (!OpenBlock(compressed) || !compressed) return;
  decompressor.Attach(&TCompressedBlockReader::ReadStoredProc, this);
  decompressor_ = &decompressor;
}

bool TCompressedBlockReader::OpenBlock(bool& compressed) {
  damaged_ = true;  // until the header proves sound
  uint8_t header[kBlockHeaderSize];
  if (!source_.ReadExact(header, 4) || !source_.ReadExact(header + 4, 5)) return false;
  if (Crc32(header + 4, 5) != LoadLE32(header)) return false;
  uint32_t stored = LoadLE32(header + 4);
  int64_t position = source_.Position();
  int64_t size = source_.Size();
  if (position < 0 || size < 0 || uint64_t(position) + stored > uint64_t(size)) return false;
  compressed = header[8] != 0;
  remaining_ = stored;
  inBlock_ = true;
  damaged_ = false;
  return true;
}

TCompressedBlockReader::~TCompressedBlockReader() {
  owned_.reset();
  if (inBlock_) source_.Seek(int64_t(remaining_), TSeekOrigin::Current);
}

bool TCompressedBlockReader::Read(void* buffer, int32_t count) {
  if (count <= 0) return !damaged_;
  int32_t got = 0;
  if (!damaged_) {
    got = decompressor_ ? decompressor_->Decompress(buffer, count) : ReadStored(buffer, count);
    if (got < count || (decompressor_ && decompressor_->Failed())) damaged_ = true;
  }
  if (damaged_) {
    std::memset(static_cast<uint8_t*>(buffer) + got, 0, size_t(count - got));
    return false;
  }
  return true;
}

int32_t TCompressedBlockReader::ReadStoredProc(void* context, void* buffer, int32_t count) {
  return static_cast<TCompressedBlockReader*>(context)->ReadStored(buffer, count);
}

int32_t TCompressedBlockReader::LoadChunk(uint8_t* into) {
  if (remaining_ < 5) return 0;
  uint8_t crc[4];
  if (!source_.ReadExact(crc, 4)) {
    damaged_ = true;
    return 0;
  }
  remaining_ -= 4;
  int32_t n = int32_t(std::min<uint32_t>(remaining_, kChunkDataSize));
  int32_t got = source_.Read(into, n);
  remaining_ -= uint32_t(std::max(got, 0));
  if (got != n || Crc32(into, size_t(n)) != LoadLE32(crc)) {
    damaged_ = true;
    return 0;
  }
  return n;
}

int32_t TCompressedBlockReader::ReadStored(void* buffer, int32_t count) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  int32_t delivered = 0;
  while (count > 0 && !damaged_) {
    // A whole chunk wanted: checked where it lands, with no copy between.
    if (chunkLeft_ == 0 && count >= kChunkDataSize) {
      const int32_t n = LoadChunk(out + delivered);
      delivered += n;
      count -= n;
      if (n == 0) break;
      continue;
    }
    if (chunkLeft_ == 0) {
      chunkLeft_ = LoadChunk(chunk_);
      chunkPosition_ = 0;
    }
    if (chunkLeft_ == 0) break;
    int32_t n = std::min(count, chunkLeft_);
    std::memcpy(out + delivered, chunk_ + chunkPosition_, size_t(n));
    chunkPosition_ += n;
    chunkLeft_ -= n;
    delivered += n;
    count -= n;
  }
  return delivered;
}
