#include "mksetup/block_survey.h"

#include <algorithm>
#include <vector>

#include "archive/block_reader.h"
#include "archive/crc32.h"
#include "toolkit/read_item.h"

namespace {

constexpr int32_t kPieceSize = 1 << 16;

std::string Number(uint64_t value) { return std::to_string(value); }

// Walks the chunks of a block whose header is sound, checking each CRC.
std::string CheckChunks(TStream& source, int64_t at, const TBlockInfo& block, const TLocator& where) {
  std::vector<uint8_t> chunk(4 + kChunkDataSize);
  uint32_t remaining = block.storedSize;
  const std::string of = " of " + Number(block.chunkCount);
  for (uint32_t i = 0; i < block.chunkCount; ++i) {
    const uint32_t n = std::min<uint32_t>(remaining - 4, kChunkDataSize);
    if (!source.ReadExact(chunk.data(), int32_t(4 + n)))
      return "chunk " + Number(i + 1) + of + " at " + where(at) + " is cut short";
    if (Crc32(chunk.data() + 4, n) != LoadLE32(chunk.data()))
      return "the CRC of chunk " + Number(i + 1) + of + " at " + where(at) + " does not match its data";
    at += 4 + n;
    remaining -= 4 + n;
  }
  // Fewer than 5 bytes after the last chunk are never read, but must be there.
  if (remaining > 0 && !source.ReadExact(chunk.data(), int32_t(remaining)))
    return "the block is cut short at " + where(at);
  return "";
}

}  // namespace

std::string SurveyBlock(TStream& source, int64_t at, TBlockInfo& block, const TLocator& where) {
  uint8_t header[kBlockHeaderSize];
  if (source.Seek(at, TSeekOrigin::Start) != at || !source.ReadExact(header, kBlockHeaderSize))
    return "the block header at " + where(at) + " is cut short";
  if (Crc32(header + 4, 5) != LoadLE32(header))
    return "the CRC of the block header at " + where(at) + " does not match";
  block.headerSound = true;
  block.storedSize = LoadLE32(header + 4);
  block.compressed = header[8] != 0;
  // The reader takes a chunk while at least 5 stored bytes remain.
  block.chunkCount = block.storedSize / (4 + kChunkDataSize) + (block.storedSize % (4 + kChunkDataSize) >= 5);
  return CheckChunks(source, at + kBlockHeaderSize, block, where);
}

int64_t CountItem(TByteSource& source, int32_t limit) {
  int32_t length = 0;
  if (!ReadItemLength(source, length) || length > limit) return -1;
  std::vector<uint8_t> piece(size_t(std::clamp(length, 0, kPieceSize)));
  for (int32_t left = std::max(length, 0); left > 0;) {
    const int32_t n = std::min(left, kPieceSize);
    if (!source.Read(piece.data(), n)) return -1;
    left -= n;
  }
  return std::max(length, 0);
}
