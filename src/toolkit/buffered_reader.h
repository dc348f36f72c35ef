// Reading a stream in large pieces: a block reader asks for a 4-byte chunk
// CRC, then 4,096 bytes, and under Windows each of those would be a system
// call of its own. This reads ahead in pieces of `pieceSize` and serves the
// small reads from memory; seeking within what is held costs nothing.
#pragma once
#include <cstdint>
#include <vector>

#include "toolkit/stream.h"

class TBufferedReader final : public TStream {
public:
  // Reads from source's current position on. source must not be used by
  // anyone else while this reads it.
  explicit TBufferedReader(TStream& source, int32_t pieceSize = kDefaultPiece);
  TBufferedReader(const TBufferedReader&) = delete;
  TBufferedReader& operator=(const TBufferedReader&) = delete;

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void*, int32_t) override { return -1; }  // read only
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return source_.Size(); }

  static constexpr int32_t kDefaultPiece = 256 << 10;

private:
  bool Refill();

  TStream& source_;
  std::vector<uint8_t> piece_;
  int64_t pieceStart_;   // the source position of piece_[0]; -1 when unknown
  int32_t held_ = 0;     // bytes of piece_ that hold data
  int32_t next_ = 0;     // the next byte of piece_ to deliver
};
