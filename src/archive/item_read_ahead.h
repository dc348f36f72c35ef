// Decoding ahead of the writer: a thread of its own reads the items of a
// source (a block reader, which decompresses) into a bounded ring, while the
// caller's thread takes them out and writes files. Reading and writing
// overlap; the bytes, their order and what counts as damage stay exactly as
// when the caller reads the source itself.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "toolkit/stream.h"

class TItemReadAhead final : public TByteSource {
public:
  // Reads `items` items (a 4-byte length L, then L bytes; L <= 0 is empty)
  // of source ahead, at most `limit` bytes of them waiting at a time. While
  // the caller reads, waiting or not, `idle` runs every 15 ms (the program's
  // windows stay responsive through a large file). The source must not be used by
  // anyone else until this is destroyed.
  TItemReadAhead(TByteSource& source, uint32_t items, std::function<void()> idle, size_t limit = kDefaultLimit);
  // Stops the reading thread (after its current piece) and waits for it.
  ~TItemReadAhead() override;
  TItemReadAhead(const TItemReadAhead&) = delete;
  TItemReadAhead& operator=(const TItemReadAhead&) = delete;

  // The next count bytes, as the source would have given them; false (the
  // rest zeroed) where the source failed.
  bool Read(void* buffer, int32_t count) override;

  static constexpr size_t kDefaultLimit = size_t(3) << 20;
  static constexpr int32_t kPiece = 64 << 10;

private:
  void Run(TByteSource& source, uint32_t items);
  // Reads count bytes of source into the ring as room appears; false when
  // the source failed or the reader is stopping.
  bool Fill(TByteSource& source, int32_t count);
  size_t Waiting() const { return size_t(decoded_ - taken_); }
  size_t Room() const { return ringSize_ - Waiting(); }
  // Runs idle_ when it has not run for a while; lock is held on entry and exit.
  void IdleWhenDue(std::unique_lock<std::mutex>& lock);

  std::function<void()> idle_;
  std::chrono::steady_clock::time_point lastIdle_;
  // Byte n of the items lives at ring_[n % ringSize_]. Left uninitialised:
  // its pages are first touched by the decoding thread, as it fills them.
  size_t ringSize_;
  std::unique_ptr<uint8_t[]> ring_;
  size_t wakeAmount_;          // what a waiting caller is woken for
  std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t decoded_ = 0;       // bytes the thread has put into the ring
  uint64_t taken_ = 0;         // bytes the caller has taken out
  bool callerWaiting_ = false;
  size_t roomWanted_ = 0;      // room the thread waits for; 0 when it is not waiting
  bool finished_ = false;      // the thread delivered all it will
  bool failed_ = false;        // ... and the source failed at that point
  bool stopping_ = false;
  std::thread thread_;
};
