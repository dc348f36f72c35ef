// A compressed block: a 9-byte header (CRC-32 of the next five bytes, stored
// size S, compressed flag) and S bytes of chunks, each a CRC-32 followed by up
// to 4,096 data bytes. The chunks' data are either the content itself or an
// LZMA stream of it.
#pragma once
#include <cstdint>
#include <memory>

#include "archive/decompressor.h"
#include "toolkit/stream.h"

constexpr int32_t kChunkDataSize = 4096;
constexpr int32_t kBlockHeaderSize = 9;

class TCompressedBlockReader final : public TByteSource {
public:
  // Reads and checks the block header at the source's current position.
  // decompressorClass is used when the block is compressed.
  TCompressedBlockReader(TStream& source, TDecompressorClass decompressorClass);
  // The same with a decompressor of the caller's, attached for this block.
  TCompressedBlockReader(TStream& source, TCustomDecompressor& decompressor);
  // Leaves the source on the first byte after the block.
  ~TCompressedBlockReader() override;
  TCompressedBlockReader(const TCompressedBlockReader&) = delete;
  TCompressedBlockReader& operator=(const TCompressedBlockReader&) = delete;

  // Fills buffer with the next count bytes of the block's content. Returns
  // false, with the rest of the buffer zeroed, when the block is damaged
  // (bad header, chunk CRC mismatch, invalid or broken stream, truncated):
  // damaged bytes are never delivered as data.
  bool Read(void* buffer, int32_t count) override;

  bool Damaged() const { return damaged_; }
  bool InBlock() const { return inBlock_; }

private:
  static int32_t ReadStoredProc(void* context, void* buffer, int32_t count);
  int32_t ReadStored(void* buffer, int32_t count);
  // Reads and checks the next chunk's data into `into` (room for a whole
  // chunk); its length, or 0 at the end or on damage.
  int32_t LoadChunk(uint8_t* into);

  // Reads and checks the header; false when it is unsound.
  bool OpenBlock(bool& compressed);

  std::unique_ptr<TCustomDecompressor> owned_;
  TCustomDecompressor* decompressor_ = nullptr;  // owned_, a borrowed one, or none for a stored block
  TStream& source_;
  uint32_t remaining_ = 0;  // stored bytes not yet taken from the source
  bool inBlock_ = false;
  bool damaged_ = false;
  int32_t chunkPosition_ = 0;
  int32_t chunkLeft_ = 0;
  uint8_t chunk_[kChunkDataSize];
};
