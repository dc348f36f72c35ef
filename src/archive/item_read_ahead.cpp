#include "archive/item_read_ahead.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {
constexpr auto kIdleInterval = std::chrono::milliseconds(15);
}

TItemReadAhead::TItemReadAhead(TByteSource& source, uint32_t items, std::function<void()> idle, size_t limit)
    : idle_(std::move(idle)), limit_(std::max<size_t>(limit, size_t(kPiece))) {
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

bool TItemReadAhead::Push(std::vector<uint8_t> piece) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return stopping_ || queued_ + piece.size() <= limit_; });
  if (stopping_) return false;
  queued_ += piece.size();
  queue_.push_back(std::move(piece));
  changed_.notify_all();
  return true;
}

// Asks the source for exactly what the writer will ask for: each item's
// length, then its bytes, so a source that is read past its content never
// reports damage the writer would not have met.
void TItemReadAhead::Run(TByteSource& source, uint32_t items) {
  bool sound = true;
  for (uint32_t i = 0; i < items && sound; ++i) {
    std::vector<uint8_t> length(4);
    sound = source.Read(length.data(), 4);
    if (!sound || !Push(length)) break;
    for (int32_t remaining = int32_t(LoadLE32(length.data())); remaining > 0 && sound;) {
      std::vector<uint8_t> piece(size_t(std::min(remaining, kPiece)));
      sound = source.Read(piece.data(), int32_t(piece.size()));
      if (!sound || !Push(std::move(piece))) break;
      remaining -= kPiece;
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  finished_ = true;
  failed_ = !sound;
  changed_.notify_all();
}

bool TItemReadAhead::Read(void* buffer, int32_t count) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  std::unique_lock<std::mutex> lock(mutex_);
  while (count > 0) {
    if (queue_.empty()) {
      if (finished_) break;
      // The caller's windows keep running while the decoder catches up.
      if (!changed_.wait_for(lock, kIdleInterval, [&] { return !queue_.empty() || finished_; }) && idle_) {
        lock.unlock();
        idle_();
        lock.lock();
      }
      continue;
    }
    std::vector<uint8_t>& front = queue_.front();
    const size_t n = std::min(size_t(count), front.size() - taken_);
    std::memcpy(out, front.data() + taken_, n);
    out += n;
    count -= int32_t(n);
    taken_ += n;
    if (taken_ == front.size()) {
      queued_ -= front.size();
      queue_.pop_front();
      taken_ = 0;
      changed_.notify_all();
    }
  }
  if (count == 0) return true;
  std::memset(out, 0, size_t(count));  // what the source could not deliver
  return false;
}
