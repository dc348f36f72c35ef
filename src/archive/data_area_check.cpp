#include "archive/data_area_check.h"

#include <algorithm>
#include <utility>

#include "archive/block_reader.h"
#include "archive/crc32.h"

namespace {
constexpr int32_t kFeedPiece = 1 << 16;
}

TDataAreaCheck::TDataAreaCheck(std::vector<int64_t> storedSizes) : storedSizes_(std::move(storedSizes)) {}

bool TDataAreaCheck::Complete() const {
  const size_t blocks = storedSizes_.empty() ? 1 : storedSizes_.size();
  return !damaged_ && headerHave_ == 0 && block_ == blocks;
}

// The header is whole: its CRC, and in per-file mode its length against the
// stored size list.
bool TDataAreaCheck::StartBlock() {
  if (Crc32(header_ + 4, 5) != LoadLE32(header_)) return false;
  remaining_ = LoadLE32(header_ + 4);
  if (storedSizes_.empty()) return block_ == 0;
  return block_ < storedSizes_.size() && uint64_t(storedSizes_[block_]) == uint64_t(remaining_) + kBlockHeaderSize;
}

void TDataAreaCheck::TakeHeaderByte(uint8_t byte) {
  header_[headerHave_++] = byte;
  if (headerHave_ == kBlockHeaderSize && !StartBlock()) damaged_ = true;
}

bool TDataAreaCheck::Feed(const uint8_t* bytes, size_t count) {
  size_t i = 0;
  while (i < count && !damaged_) {
    if (headerHave_ < kBlockHeaderSize) {
      TakeHeaderByte(bytes[i++]);
    } else if (chunkLeft_ > 0) {
      const uint32_t n = uint32_t(std::min<size_t>(chunkLeft_, count - i));
      runningCrc_ = Crc32Update(runningCrc_, bytes + i, n);
      i += n;
      chunkLeft_ -= n;
      remaining_ -= n;
      if (chunkLeft_ == 0 && ~runningCrc_ != LoadLE32(crcBytes_)) damaged_ = true;
    } else if (crcHave_ > 0 || remaining_ >= 5) {
      // A chunk's CRC; the reader takes a chunk only while 5 bytes remain.
      crcBytes_[crcHave_++] = bytes[i++];
      --remaining_;
      if (crcHave_ == 4) {
        crcHave_ = 0;
        chunkLeft_ = std::min<uint32_t>(remaining_, kChunkDataSize);
        runningCrc_ = 0xFFFFFFFFu;
      }
    } else if (remaining_ > 0) {
      // The reader never looks at fewer than 5 trailing bytes; they only
      // have to be there.
      const uint32_t n = uint32_t(std::min<size_t>(remaining_, count - i));
      i += n;
      remaining_ -= n;
    }
    if (headerHave_ == kBlockHeaderSize && remaining_ == 0 && chunkLeft_ == 0 && crcHave_ == 0 && !damaged_) {
      headerHave_ = 0;
      ++block_;
    }
  }
  return !damaged_;
}

bool TDataAreaCheck::FeedFrom(TStream& source, int64_t length, void (*pause)()) {
  std::vector<uint8_t> piece(size_t(std::min<int64_t>(std::max<int64_t>(length, 0), kFeedPiece)));
  while (length > 0 && !damaged_) {
    const int32_t n = int32_t(std::min<int64_t>(length, kFeedPiece));
    if (!source.ReadExact(piece.data(), n)) return damaged_ = true, false;
    Feed(piece.data(), size_t(n));
    length -= n;
    if (pause) pause();
  }
  return !damaged_;
}
