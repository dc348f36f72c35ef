#include "engine/block_pool.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "archive/block_reader.h"
#include "archive/lzma_decompressor.h"
#include "toolkit/buffered_reader.h"
#include "toolkit/file_stream.h"
#include "toolkit/memory_stream.h"

namespace {

constexpr uint64_t kMiB = uint64_t(1) << 20;
// A decoder's own buffers, beside its dictionary.
constexpr uint64_t kDecoderOverhead = kMiB;
// Less than this to hold is not worth a worker.
constexpr uint64_t kSmallestHold = 8 * kMiB;
constexpr int32_t kPiece = 256 * 1024;
// Blocks of at most kSmallBlock bytes are taken in runs of up to kRunBlocks
// blocks and kRunBytes bytes: one claim and one read for many small files.
constexpr uint32_t kSmallBlock = 64 * 1024;
constexpr size_t kRunBlocks = 32;
constexpr uint64_t kRunBytes = 512 * 1024;
constexpr auto kIdleInterval = std::chrono::milliseconds(15);

}  // namespace

TPoolLimits PoolLimitsFor(unsigned cores, uint32_t dictionarySize, uint64_t budget) {
  TPoolLimits limits;
  const uint64_t perWorker = uint64_t(dictionarySize) + kDecoderOverhead;
  limits.threads = int(std::max(1u, cores));
  while (limits.threads > 1 && budget < uint64_t(limits.threads) * perWorker + kSmallestHold) --limits.threads;
  const uint64_t decoders = uint64_t(limits.threads) * perWorker;
  limits.heldBytes = budget > decoders + kSmallestHold ? budget - decoders : kSmallestHold;
  limits.largestItem = limits.heldBytes / 2;
  return limits;
}

uint32_t BlockDictionarySize(TStream& setup, int64_t offset) {
  // The block header (its compressed flag last), a chunk's CRC, then the
  // LZMA properties byte and the dictionary size.
  uint8_t start[kBlockHeaderSize + 4 + 5];
  if (setup.Seek(offset, TSeekOrigin::Start) != offset || !setup.ReadExact(start, int32_t(sizeof start))) return 0;
  if (start[kBlockHeaderSize - 1] == 0) return 0;
  return LoadLE32(start + kBlockHeaderSize + 4 + 1);
}

TBlockPool::TBlockPool(const std::string& setupPath, std::vector<TPooledBlock> blocks, const TPoolLimits& limits)
    : setupPath_(setupPath), blocks_(std::move(blocks)), limits_(limits), results_(blocks_.size()),
      writerWaits_(blocks_.size()) {
  while (nextToTake_ < blocks_.size() && !blocks_[nextToTake_].wanted) ++nextToTake_;
  for (int i = 0; i < std::max(1, limits_.threads); ++i) workers_.emplace_back([this] { Work(); });
}

TBlockPool::~TBlockPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  ready_.notify_all();
  room_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void TBlockPool::Work() {
  auto setup = TFileStream::Open(setupPath_, TFileStream::Mode::OpenRead);
  // One decoder for all the worker's blocks: its dictionary is allocated
  // once, not once per small file.
  TLZMADecompressor decoder(nullptr, nullptr);
  for (;;) {
    size_t first, count;
    std::vector<uint8_t> gathered;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      for (;;) {
        while (nextToStart_ < blocks_.size() && !blocks_[nextToStart_].wanted) ++nextToStart_;
        if (stopping_ || nextToStart_ >= blocks_.size()) return;
        if (!blocks_[nextToStart_].gathered || results_[nextToStart_].supplied) break;
        awaitingSupply_ = true;
        room_.wait(lock);
      }
      first = nextToStart_;
      count = RunLength(first);
      nextToStart_ = first + count;
      if (blocks_[first].gathered) gathered = std::move(results_[first].item);
    }
    if (blocks_[first].gathered) {
      std::vector<uint8_t> item;
      const TTaken taken = DecodeGathered(decoder, std::move(gathered), first, item);
      if (!Publish(first, taken, std::move(item))) return;
    } else if (!setup) {
      if (!Publish(first, TTaken::Damaged, {})) return;
    } else if (count > 1) {
      if (!DecodeRun(decoder, *setup, first, count)) return;
    } else {
      std::vector<uint8_t> item;
      const TTaken taken = DecodeAlone(decoder, *setup, first, item);
      if (!Publish(first, taken, std::move(item))) return;
    }
  }
}

// How many blocks from first on one worker takes at once: a run of small
// wanted blocks that follow each other in the setup, read in one piece and
// decoded one after the other, or first alone.
size_t TBlockPool::RunLength(size_t first) const {
  auto small = [this](size_t i) {
    return blocks_[i].wanted && !blocks_[i].gathered && blocks_[i].storedSize > 0 &&
           blocks_[i].storedSize <= kSmallBlock;
  };
  if (!small(first)) return 1;
  size_t count = 1;
  uint64_t bytes = blocks_[first].storedSize;
  for (size_t i = first + 1; i < blocks_.size() && count < kRunBlocks && small(i); ++i, ++count) {
    const TPooledBlock& before = blocks_[i - 1];
    if (blocks_[i].offset != before.offset + int64_t(before.storedSize) || bytes + blocks_[i].storedSize > kRunBytes)
      break;
    bytes += blocks_[i].storedSize;
  }
  return count;
}

// False when the pool is stopping.
bool TBlockPool::DecodeRun(TCustomDecompressor& decoder, TStream& setup, size_t first, size_t count) {
  const int64_t start = blocks_[first].offset;
  const TPooledBlock& last = blocks_[first + count - 1];
  std::vector<uint8_t> bytes(size_t(last.offset + int64_t(last.storedSize) - start));
  const bool read = setup.Seek(start, TSeekOrigin::Start) == start && setup.ReadExact(bytes.data(), int32_t(bytes.size()));
  TMemoryStream data(std::move(bytes));
  for (size_t i = first; i < first + count; ++i) {
    const int64_t at = blocks_[i].offset - start;
    std::vector<uint8_t> item;
    const TTaken taken =
        read && data.Seek(at, TSeekOrigin::Start) == at ? DecodeItem(decoder, data, i, item) : TTaken::Damaged;
    if (!Publish(i, taken, std::move(item))) return false;
  }
  return true;
}

TBlockPool::TTaken TBlockPool::DecodeAlone(TCustomDecompressor& decoder, TStream& setup, size_t i,
                                            std::vector<uint8_t>& item) {
  if (setup.Seek(blocks_[i].offset, TSeekOrigin::Start) != blocks_[i].offset) return TTaken::Damaged;
  // Read in pieces of about the block's size, up to the size that suits a large one.
  const uint32_t stored = blocks_[i].storedSize;
  TBufferedReader data(setup, stored == 0 ? TBufferedReader::kDefaultPiece
                                          : int32_t(std::clamp<uint32_t>(stored, 4096, TBufferedReader::kDefaultPiece)));
  return DecodeItem(decoder, data, i, item);
}

// A gathered block from its bytes; one whose item is too large to hold goes
// back as it is, for the writing to decode.
TBlockPool::TTaken TBlockPool::DecodeGathered(TCustomDecompressor& decoder, std::vector<uint8_t> block, size_t i,
                                               std::vector<uint8_t>& item) {
  TMemoryStream data(std::move(block));
  const TTaken taken = DecodeItem(decoder, data, i, item);
  if (taken == TTaken::Large) item = std::move(data.Bytes());
  return taken;
}

// Block i's item from data, which stands at the block's start.
TBlockPool::TTaken TBlockPool::DecodeItem(TCustomDecompressor& decoder, TStream& data, size_t i,
                                          std::vector<uint8_t>& item) {
  TCompressedBlockReader block(data, decoder);
  uint8_t length[4];
  if (!block.Read(length, 4)) return TTaken::Damaged;
  const uint32_t size = LoadLE32(length);
  if (size > limits_.largestItem) return TTaken::Large;
  if (!Admit(i, size)) return TTaken::Damaged;  // stopping: nobody takes it
  item.resize(4 + size_t(size));
  std::memcpy(item.data(), length, 4);
  for (uint32_t done = 0; done < size;) {
    const int32_t n = int32_t(std::min<uint32_t>(size - done, kPiece));
    if (!block.Read(item.data() + 4 + done, n)) return TTaken::Damaged;
    done += uint32_t(n);
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return TTaken::Damaged;
  }
  return TTaken::Item;
}

// Waits until the item's bytes may be held: there is room, or it is the one
// the writing waits for (which never waits, so the pool cannot stall).
bool TBlockPool::Admit(size_t i, uint64_t bytes) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto admitted = [&] { return stopping_ || i == nextToTake_ || held_ + bytes <= limits_.heldBytes; };
  if (!admitted()) {
    admitting_.push_back(i);
    room_.wait(lock, admitted);
    admitting_.erase(std::find(admitting_.begin(), admitting_.end(), i));
  }
  if (stopping_) return false;
  held_ += bytes;
  return true;
}

// False when the pool is stopping.
bool TBlockPool::Publish(size_t i, TTaken taken, std::vector<uint8_t> item) {
  bool wake;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return false;
    results_[i].taken = taken;
    results_[i].item = std::move(item);
    results_[i].done = true;
    wake = writerWaits_ == i;
  }
  if (wake) ready_.notify_one();
  return true;
}

void TBlockPool::Supply(size_t i, std::vector<uint8_t> block) {
  bool wake;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    results_[i].item = std::move(block);
    results_[i].supplied = true;
    wake = awaitingSupply_;
    awaitingSupply_ = false;
  }
  if (wake) room_.notify_all();
}

TBlockPool::TTaken TBlockPool::Take(size_t i, std::vector<uint8_t>& item, const std::function<void()>& idle) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!results_[i].done) {
    writerWaits_ = i;
    ready_.wait_for(lock, kIdleInterval);
    writerWaits_ = blocks_.size();
    if (!results_[i].done && idle) {
      lock.unlock();
      idle();
      lock.lock();
    }
  }
  TResult& result = results_[i];
  const TTaken taken = result.taken;
  item = std::move(result.item);
  result.item = std::vector<uint8_t>();
  if (taken == TTaken::Item) held_ -= item.size() - 4;
  nextToTake_ = i + 1;
  while (nextToTake_ < blocks_.size() && !blocks_[nextToTake_].wanted) ++nextToTake_;
  // Workers waiting for room go on once a good part of it is free, or when
  // one holds the item now wanted next.
  const bool wake = !admitting_.empty() &&
                    (held_ + limits_.heldBytes / 4 <= limits_.heldBytes ||
                     std::find(admitting_.begin(), admitting_.end(), nextToTake_) != admitting_.end());
  lock.unlock();
  if (wake) room_.notify_all();
  return taken;
}

bool TItemBytes::Read(void* buffer, int32_t count) {
  if (count < 0 || bytes_.size() - position_ < size_t(count)) {
    std::memset(buffer, 0, size_t(std::max(count, 0)));
    return false;
  }
  std::memcpy(buffer, bytes_.data() + position_, size_t(count));
  position_ += size_t(count);
  return true;
}
