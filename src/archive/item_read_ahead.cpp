#include "archive/item_read_ahead.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {
constexpr auto kIdleInterval = std::chrono::milliseconds(15);
// A caller that found nothing waiting is woken once this much has been
// decoded (or the end is reached), not for every piece: each wake-up costs a
// round trip through the system.
constexpr size_t kWakeAmount = size_t(256) << 10;
}  // namespace

TItemReadAhead::TItemReadAhead(TByteSource& source, uint32_t items, std::function<void()> idle, size_t limit)
    : idle_(std::move(idle)),
      lastIdle_(std::chrono::steady_clock::now()),
      ringSize_(std::max<size_t>(limit, size_t(kPiece))),
      ring_(new uint8_t[ringSize_]),
      wakeAmount_(std::min(kWakeAmount, ringSize_ / 4)) {
  thread_ = std::thread([this, &source, items] { Run(source, items); });
}

TItemReadAhead::~TItemReadAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool TItemReadAhead::Fill(TByteSource& source, int32_t count) {
  while (count > 0) {
    std::unique_lock<std::mutex> lock(mutex_);
    roomWanted_ = size_t(std::min(count, kPiece));
    // A caller waiting for a fuller ring takes what there is instead.
    if (Room() < roomWanted_ && callerWaiting_) changed_.notify_all();
    changed_.wait(lock, [&] { return stopping_ || Room() >= roomWanted_; });
    roomWanted_ = 0;
    if (stopping_) return false;
    // The room is the caller's no more: it reads only below decoded_.
    const size_t start = size_t(decoded_ % ringSize_);
    const int32_t n = int32_t(std::min({size_t(count), size_t(kPiece), Room(), ringSize_ - start}));
    lock.unlock();
    if (!source.Read(ring_.get() + start, n)) return false;
    lock.lock();
    decoded_ += uint64_t(n);
    if (callerWaiting_ && Waiting() >= wakeAmount_) changed_.notify_all();
    count -= n;
  }
  return true;
}

// Asks the source for exactly what the writer will ask for: each item's
// length, then its bytes, so a source that is read past its content never
// reports damage the writer would not have met.
void TItemReadAhead::Run(TByteSource& source, uint32_t items) {
  bool sound = true;
  for (uint32_t i = 0; i < items && sound; ++i) {
    const uint64_t lengthAt = decoded_;  // only this thread changes decoded_
    sound = Fill(source, 4);
    if (!sound) break;
    // The caller may be reading these bytes too, but only this thread writes
    // to the ring, and not before they are taken.
    uint8_t length[4];
    for (size_t k = 0; k < 4; ++k) length[k] = ring_[size_t((lengthAt + k) % ringSize_)];
    const int32_t itemLength = int32_t(LoadLE32(length));
    if (itemLength > 0) sound = Fill(source, itemLength);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  finished_ = true;
  failed_ = !sound;
  changed_.notify_all();
}

void TItemReadAhead::IdleWhenDue(std::unique_lock<std::mutex>& lock) {
  if (!idle_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastIdle_ < kIdleInterval) return;
  lastIdle_ = now;
  lock.unlock();
  idle_();
  lock.lock();
}

bool TItemReadAhead::Read(void* buffer, int32_t count) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  std::unique_lock<std::mutex> lock(mutex_);
  // The caller's windows keep running, whether it waits for the decoder or
  // the decoder is ahead and it writes without a pause.
  IdleWhenDue(lock);
  while (count > 0) {
    if (Waiting() == 0) {
      if (finished_) break;
      callerWaiting_ = true;
      changed_.wait_for(lock, kIdleInterval,
                        [&] { return Waiting() >= wakeAmount_ || finished_ || Room() < roomWanted_; });
      callerWaiting_ = false;
      IdleWhenDue(lock);
      continue;
    }
    const size_t start = size_t(taken_ % ringSize_);
    const size_t n = std::min({size_t(count), Waiting(), ringSize_ - start});
    std::memcpy(out, ring_.get() + start, n);
    out += n;
    count -= int32_t(n);
    taken_ += n;
    if (roomWanted_ && Room() >= roomWanted_) changed_.notify_all();
  }
  if (count == 0) return true;
  std::memset(out, 0, size_t(count));  // what the source could not deliver
  return false;
}
