#include "toolkit/buffered_reader.h"

#include <algorithm>
#include <cstring>

TBufferedReader::TBufferedReader(TStream& source, int32_t pieceSize)
    : source_(source), piece_(size_t(std::max(pieceSize, 1))), pieceStart_(source.Position()) {}

bool TBufferedReader::Refill() {
  if (pieceStart_ < 0) return false;
  pieceStart_ += held_;
  next_ = 0;
  held_ = std::max(source_.Read(piece_.data(), int32_t(piece_.size())), 0);
  return held_ > 0;
}

int32_t TBufferedReader::Read(void* buffer, int32_t count) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  int32_t delivered = 0;
  while (delivered < count && (next_ < held_ || Refill())) {
    const int32_t n = std::min(count - delivered, held_ - next_);
    std::memcpy(out + delivered, piece_.data() + next_, size_t(n));
    next_ += n;
    delivered += n;
  }
  return delivered;
}

int64_t TBufferedReader::Seek(int64_t offset, TSeekOrigin origin) {
  if (pieceStart_ < 0) return -1;
  const int64_t here = pieceStart_ + next_;
  int64_t target = offset;
  if (origin == TSeekOrigin::Current) target = here + offset;
  if (origin == TSeekOrigin::End) {
    const int64_t size = source_.Size();
    if (size < 0) return -1;
    target = size + offset;
  }
  if (target < 0) return -1;
  if (target >= pieceStart_ && target <= pieceStart_ + held_) {
    next_ = int32_t(target - pieceStart_);
    return target;
  }
  // Outside what is held: the source moves, and the next read refills.
  pieceStart_ = source_.Seek(target, TSeekOrigin::Start);
  held_ = next_ = 0;
  return pieceStart_;
}
