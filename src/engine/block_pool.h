// Per-file blocks decoded on several threads ahead of the writing. Each
// block of per-file mode holds one item: a file's length and bytes. Worker
// threads decode the items of the blocks the installation wants into memory,
// in record order, and hand them over in that order, so that the writing
// sees exactly what one decoder would have given it. Win32-free.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "archive/decompressor.h"
#include "toolkit/stream.h"

struct TPooledBlock {
  int64_t offset = 0;        // where the block starts in the setup executable
  bool wanted = true;        // decoded at all (a kept file's block is not)
  uint32_t storedSize = 0;   // its length, header included; 0 when unknown
  bool gathered = false;     // its bytes come through Supply (from a disk file), not from the setup
};

// How many workers, and how many bytes of items they may hold that the
// writing has not taken yet.
struct TPoolLimits {
  int threads = 1;
  uint64_t heldBytes = 0;
  // An item larger than this is not held at all: its block is left to the
  // caller to decode as it writes (Taken::Large).
  uint64_t largestItem = 0;
};

// The limits for a memory budget (the pool's peak above the program without
// it: each worker's decoder with its dictionary, plus the items held): as
// many workers as cores, fewer when the budget asks, one at the least; half
// of what is held may be one item.
TPoolLimits PoolLimitsFor(unsigned cores, uint32_t dictionarySize, uint64_t budget);

// The dictionary size of the LZMA stream in the block at offset; 0 when the
// block is stored or its start cannot be read.
uint32_t BlockDictionarySize(TStream& setup, int64_t offset);

class TBlockPool {
public:
  enum class TTaken { Item, Large, Damaged };

  // Starts the workers at once. Each opens the setup for itself.
  TBlockPool(const std::string& setupPath, std::vector<TPooledBlock> blocks, const TPoolLimits& limits);
  // Stops the workers (a block being decoded is dropped) and waits for them.
  ~TBlockPool();
  TBlockPool(const TBlockPool&) = delete;
  TBlockPool& operator=(const TBlockPool&) = delete;

  // Block i's item (its 4 length bytes and its bytes, as one decoder gives
  // them), once decoded; idle runs every few milliseconds meanwhile. The
  // wanted blocks are taken in order, each once. A gathered block's item
  // too large to hold comes back as the block itself (Large).
  TTaken Take(size_t i, std::vector<uint8_t>& item, const std::function<void()>& idle);
  // The bytes of gathered block i. Workers decode the blocks in order: none
  // passes a gathered block before its bytes are here.
  void Supply(size_t i, std::vector<uint8_t> block);

private:
  struct TResult {
    bool supplied = false;
    bool done = false;
    TTaken taken = TTaken::Item;
    std::vector<uint8_t> item;  // a gathered block's bytes until it is decoded
  };
  void Work();
  size_t RunLength(size_t first) const;
  bool DecodeRun(TCustomDecompressor& decoder, TStream& setup, size_t first, size_t count);
  TTaken DecodeAlone(TCustomDecompressor& decoder, TStream& setup, size_t i, std::vector<uint8_t>& item);
  TTaken DecodeGathered(TCustomDecompressor& decoder, std::vector<uint8_t> block, size_t i, std::vector<uint8_t>& item);
  TTaken DecodeItem(TCustomDecompressor& decoder, TStream& data, size_t i, std::vector<uint8_t>& item);
  bool Admit(size_t i, uint64_t bytes);
  bool Publish(size_t i, TTaken taken, std::vector<uint8_t> item);

  std::string setupPath_;
  std::vector<TPooledBlock> blocks_;
  TPoolLimits limits_;
  std::vector<TResult> results_;
  std::mutex mutex_;
  // Each side is woken only when the other has something for it: a wake-up
  // costs more than a small file's decoding.
  std::condition_variable ready_;  // the writing waits for results_[writerWaits_]
  std::condition_variable room_;   // workers wait to hold items (admitting_) or for a gathered block
  bool awaitingSupply_ = false;
  size_t writerWaits_;
  std::vector<size_t> admitting_;
  size_t nextToStart_ = 0;
  size_t nextToTake_ = 0;
  uint64_t held_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

// An item in memory, read as a block reader would deliver it.
class TItemBytes final : public TByteSource {
public:
  explicit TItemBytes(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool Read(void* buffer, int32_t count) override;

private:
  const std::vector<uint8_t>& bytes_;
  size_t position_ = 0;
};
