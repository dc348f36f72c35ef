#include "engine/block_pool.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "archive/block_reader.h"
#include "archive/lzma_decompressor.h"
#include "toolkit/buffered_reader.h"
#include "toolkit/file_stream.h"

namespace {

constexpr uint64_t kMiB = uint64_t(1) << 20;
// A decoder's own buffers, beside its dictionary.
constexpr uint64_t kDecoderOverhead = kMiB;
// Less than this to hold is not worth a worker.
constexpr uint64_t kSmallestHold = 8 * kMiB;
constexpr int32_t kPiece = 256 * 1024;
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
    : setupPath_(setupPath), blocks_(std::move(blocks)), limits_(limits), results_(blocks_.size()) {
  while (nextToTake_ < blocks_.size() && !blocks_[nextToTake_].wanted) ++nextToTake_;
  for (int i = 0; i < std::max(1, limits_.threads); ++i) workers_.emplace_back([this] { Work(); });
}

TBlockPool::~TBlockPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void TBlockPool::Work() {
  auto setup = TFileStream::Open(setupPath_, TFileStream::Mode::OpenRead);
  for (;;) {
    size_t i;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      while (nextToStart_ < blocks_.size() && !blocks_[nextToStart_].wanted) ++nextToStart_;
      if (stopping_ || nextToStart_ >= blocks_.size()) return;
      i = nextToStart_++;
    }
    std::vector<uint8_t> item;
    const TTaken taken = setup ? Decode(*setup, i, item) : TTaken::Damaged;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return;
      results_[i].taken = taken;
      results_[i].item = std::move(item);
      results_[i].done = true;
    }
    changed_.notify_all();
  }
}

// Waits until the item's bytes may be held: there is room, or it is the one
// the writing waits for (which never waits, so the pool cannot stall).
bool TBlockPool::Admit(size_t i, uint64_t bytes) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return stopping_ || i == nextToTake_ || held_ + bytes <= limits_.heldBytes; });
  if (stopping_) return false;
  held_ += bytes;
  return true;
}

TBlockPool::TTaken TBlockPool::Decode(TStream& setup, size_t i, std::vector<uint8_t>& item) {
  if (setup.Seek(blocks_[i].offset, TSeekOrigin::Start) != blocks_[i].offset) return TTaken::Damaged;
  // A small file's block is read in one piece of about its size, not in
  // the pieces that suit a large one.
  const uint32_t stored = blocks_[i].storedSize;
  TBufferedReader data(setup, stored == 0 ? TBufferedReader::kDefaultPiece
                                          : int32_t(std::clamp<uint32_t>(stored, 4096, TBufferedReader::kDefaultPiece)));
  TCompressedBlockReader block(data, &TLZMADecompressor::Create);
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

TBlockPool::TTaken TBlockPool::Take(size_t i, std::vector<uint8_t>& item, const std::function<void()>& idle) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!results_[i].done) {
    changed_.wait_for(lock, kIdleInterval);
    if (!results_[i].done && idle) {
      lock.unlock();
      idle();
      lock.lock();
    }
  }
  TResult& result = results_[i];
  item = std::move(result.item);
  result.item = std::vector<uint8_t>();
  if (result.taken == TTaken::Item) held_ -= item.size() - 4;
  nextToTake_ = i + 1;
  while (nextToTake_ < blocks_.size() && !blocks_[nextToTake_].wanted) ++nextToTake_;
  lock.unlock();
  changed_.notify_all();
  return result.taken;
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
