#include "engine/file_data_check.h"

#include "archive/setup_archive.h"
#include "archive/setup_script.h"
#include "startup/corrupted_setup.h"
#include "toolkit/file_stream.h"
#include "toolkit/message_pump.h"
#include "toolkit/run_log.h"

namespace {

// One stored size per file record, each a block length below 2^31.
bool StoredSizesFit(const TSetupArchive& archive) {
  if (archive.storedSizes.size() != SectionCount(kSectionFiles)) return false;
  for (int64_t size : archive.storedSizes)
    if (size < 0 || size >= 0x80000000LL) return false;
  return true;
}

int64_t TotalOf(const std::vector<int64_t>& sizes) {
  int64_t total = 0;
  for (int64_t size : sizes) total += size;
  return total;
}

}  // namespace

TDataAreaCheck CheckFileDataInSetup(const std::string& setupPath, const TSetupArchive& archive) {
  const bool solid = FieldFlag(34);
  if (!solid && !StoredSizesFit(archive)) CorruptedSetupError();
  TDataAreaCheck check(solid ? std::vector<int64_t>() : archive.storedSizes);
  if (SectionCount(kSectionFiles) == 0) return check;  // nothing is read

  auto setup = TFileStream::Open(setupPath, TFileStream::Mode::OpenRead);
  const int64_t start = int64_t(archive.trailer.dataOffset);
  const int64_t share = int64_t(archive.trailer.dataSize);
  if (!setup || setup->Seek(start, TSeekOrigin::Start) != start ||
      !check.FeedFrom(*setup, share, PumpWindowMessagesNowAndThen))
    CorruptedSetupError();
  // Solid data and per-file data without disk files end in this file.
  const bool continued = !solid && share < TotalOf(archive.storedSizes);
  if (!continued && !check.Complete()) CorruptedSetupError();
  LogLine("file data checked: " + std::to_string(share) + " byte(s) in the setup sound");
  return check;
}

bool CheckDiskFile(TDataAreaCheck& check, TStream& disk) {
  const int64_t size = disk.Size();
  return size >= 0 && disk.Seek(0, TSeekOrigin::Start) == 0 &&
         check.FeedFrom(disk, size, PumpWindowMessagesNowAndThen);
}
