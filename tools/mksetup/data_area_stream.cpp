#include "mksetup/data_area_stream.h"

#include <algorithm>

int32_t TAreaStream::Read(void* buffer, int32_t count) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  int32_t done = 0;
  int64_t partStart = 0;
  for (TPart& part : parts_) {
    const int64_t partEnd = partStart + part.length;
    if (done < count && position_ < partEnd) {
      const int64_t at = part.start + (position_ - partStart);
      const int32_t n = int32_t(std::min<int64_t>(count - done, partEnd - position_));
      if (!part.file || part.file->Seek(at, TSeekOrigin::Start) != at || !part.file->ReadExact(out + done, n))
        return done;
      done += n;
      position_ += n;
    }
    partStart = partEnd;
  }
  return done;
}

int64_t TAreaStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int64_t base = origin == TSeekOrigin::Start ? 0 : origin == TSeekOrigin::Current ? position_ : size_;
  if (base + offset < 0) return -1;
  return position_ = base + offset;
}

void TAreaStream::Locate(int64_t position, int& disk, uint64_t& offset) const {
  for (const TPart& part : parts_) {
    disk = part.disk;
    offset = uint64_t(part.start + position);
    if (position < part.length) return;
    position -= part.length;
  }
}

std::string TAreaStream::Where(int64_t position) const {
  int disk = 1;
  uint64_t offset = 0;
  Locate(position, disk, offset);
  return "offset " + std::to_string(offset) + (disk == 1 ? " of the setup" : " of disk " + std::to_string(disk));
}
