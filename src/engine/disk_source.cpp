#include "engine/disk_source.h"

#include <algorithm>
#include <utility>

#include "archive/disk_files.h"
#include "toolkit/path_parts.h"
#include "toolkit/piecewise_copy.h"

TDiskSource::TDiskSource(std::string setupPath, uint64_t dataOffset, uint64_t dataSize, std::string nameTemplate,
                         TDiskPrompt askForDisk, TDiskCheck checkDisk)
    : setupPath_(std::move(setupPath)),
      dataOffset_(dataOffset),
      dataSize_(dataSize),
      nameTemplate_(std::move(nameTemplate)),
      askForDisk_(std::move(askForDisk)),
      checkDisk_(std::move(checkDisk)) {}

bool TDiskSource::Open() {
  stream_ = TFileStream::Open(setupPath_, TFileStream::Mode::OpenRead);
  const int64_t start = int64_t(uint32_t(dataOffset_));
  if (!stream_ || stream_->Seek(start, TSeekOrigin::Start) != start) return false;
  disk_ = 1;
  end_ = start + int64_t(dataSize_);
  return true;
}

TSourceResult TDiskSource::Copy(uint32_t n, TStream& destination, bool& written) {
  written = true;
  return Transfer(n, &destination, written);
}

TSourceResult TDiskSource::Skip(uint32_t n) {
  bool written = false;
  return Transfer(n, nullptr, written);
}

bool TDiskSource::OnThisDisk(uint32_t n) { return stream_ && Available() >= int64_t(n); }

int64_t TDiskSource::Available() {
  const int64_t position = stream_->Position();
  return position < 0 ? -1 : std::max<int64_t>(end_ - position, 0);
}

TSourceResult TDiskSource::Transfer(uint32_t n, TStream* destination, bool& written) {
  int64_t remaining = n;
  while (remaining > 0) {
    const int64_t available = Available();
    if (available < 0) return TSourceResult::Damaged;
    if (available == 0) {
      TSourceResult next = NextDisk();
      if (next != TSourceResult::Ok) return next;
      continue;  // a disk that opened holds at least one byte
    }
    const int64_t chunk = std::min(remaining, available);
    const int64_t before = stream_->Position();
    if (destination && written) {
      const int64_t copied = CopyPiecewise(*destination, *stream_, chunk);
      const int64_t advanced = stream_->Position() - before;
      // The copy counts only what it wrote: a source that moved further met
      // a failed write, one that moved less ran dry before its end.
      if (copied < advanced) written = false;
      else if (advanced < chunk) return TSourceResult::Damaged;
      remaining -= advanced;
    } else {
      if (stream_->Seek(chunk, TSeekOrigin::Current) != before + chunk) return TSourceResult::Damaged;
      remaining -= chunk;
    }
  }
  return TSourceResult::Ok;
}

TSourceResult TDiskSource::NextDisk() {
  stream_.reset();
  ++disk_;
  const std::string name = FolderPart(setupPath_) + DiskFileName(nameTemplate_, disk_);
  // A disk file that exists but cannot be opened is asked for like a missing one.
  while (!(stream_ = TFileStream::Open(name, TFileStream::Mode::OpenRead)))
    if (!askForDisk_(disk_)) return TSourceResult::Cancelled;
  end_ = stream_->Size();
  // The builder writes a disk file only for data that continue there; an
  // empty one would otherwise be passed over for ever when every disk has
  // the same name.
  if (end_ <= 0) return TSourceResult::Damaged;
  if (checkDisk_ && (!checkDisk_(*stream_) || stream_->Seek(0, TSeekOrigin::Start) != 0)) return TSourceResult::Damaged;
  return TSourceResult::Ok;
}
