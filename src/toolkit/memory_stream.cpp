#include "toolkit/memory_stream.h"

#include <algorithm>
#include <cstring>

int32_t TMemoryStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || position_ >= bytes_.size()) return 0;
  size_t n = std::min(size_t(count), bytes_.size() - position_);
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return int32_t(n);
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
  if (count < 0) return -1;
  if (count == 0) return 0;
  size_t end = position_ + size_t(count);
  if (end > bytes_.size()) bytes_.resize(end);
  std::memcpy(bytes_.data() + position_, buffer, size_t(count));
  position_ = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == TSeekOrigin::Start ? 0
               : origin == TSeekOrigin::Current ? int64_t(position_)
                                                : int64_t(bytes_.size());
  int64_t target = base + offset;
  if (target < 0) return -1;
  position_ = size_t(target);
  return target;
}
