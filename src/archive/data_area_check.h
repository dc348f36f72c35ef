// Checking the file data area without decompressing it: every block header,
// every stored size and every chunk CRC. The bytes are fed in order, in
// pieces of any size, so one check can run across the setup executable's
// share of the area and the disk files that continue it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/stream.h"

class TDataAreaCheck {
public:
  // storedSizes: the stored size list (per-file mode, one block per file
  // record, each length checked against its block's header); empty in solid
  // mode, where the area holds one block.
  explicit TDataAreaCheck(std::vector<int64_t> storedSizes);

  // Takes the next bytes of the area; false from the first damage on.
  bool Feed(const uint8_t* bytes, size_t count);
  // Reads `length` bytes of source and feeds them; false when damaged or when
  // the source delivers fewer. `pause` (may be null) runs between pieces.
  bool FeedFrom(TStream& source, int64_t length, void (*pause)() = nullptr);

  bool Damaged() const { return damaged_; }
  // True when every expected block has been seen whole.
  bool Complete() const;

private:
  bool StartBlock();
  void TakeHeaderByte(uint8_t byte);

  std::vector<int64_t> storedSizes_;
  size_t block_ = 0;          // index of the block being read
  bool damaged_ = false;
  uint8_t header_[9] = {};
  int headerHave_ = 0;        // header bytes collected; 9 while inside a block
  uint32_t remaining_ = 0;    // stored bytes of the block not yet fed
  uint8_t crcBytes_[4] = {};
  int crcHave_ = 0;           // chunk CRC bytes collected
  uint32_t chunkLeft_ = 0;    // data bytes of the current chunk not yet fed
  uint32_t runningCrc_ = 0;
};
