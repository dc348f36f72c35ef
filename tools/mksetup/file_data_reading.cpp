#include "mksetup/file_data_reading.h"

#include <algorithm>
#include <filesystem>

#include "archive/archive_end.h"
#include "archive/block_reader.h"
#include "archive/disk_files.h"
#include "archive/lzma_decompressor.h"
#include "mksetup/block_survey.h"
#include "mksetup/data_area_stream.h"

namespace {

constexpr int kDiskNameField = 21;

void Problem(TInspection& in, const std::string& text) { in.problems.push_back(text); }

std::string Number(uint64_t value) { return std::to_string(value); }

std::string FileName(const TInspection& in, size_t i) {
  return "file " + Number(i + 1) + " (" + in.files[i].target + ")";
}

std::string DiskPath(const TInspection& in, int disk) {
  const std::filesystem::path folder = std::filesystem::path(in.path).parent_path();
  return (folder / DiskFileName(in.header[kDiskNameField], disk)).string();
}

// The setup's share of the area and, in per-file mode, the disk files beside
// it until `needed` bytes are there (or one is missing).
void OpenArea(TInspection& in, int64_t needed, TAreaStream& area) {
  area.Add(1, in.path, TFileStream::Open(in.path, TFileStream::Mode::OpenRead), int64_t(in.trailer.dataOffset),
           int64_t(in.trailer.dataSize));
  for (int disk = 2; !in.solid && area.Size() < needed; ++disk) {
    const std::string path = DiskPath(in, disk);
    if (path == area.LastPath()) {
      Problem(in, "disk " + std::to_string(disk) + " would be '" + path + "' again: field 21 lacks @$&%19");
      return;
    }
    std::unique_ptr<TFileStream> file = TFileStream::Open(path, TFileStream::Mode::OpenRead);
    const int64_t size = file ? file->Size() : -1;
    if (size <= 0) {
      Problem(in, "disk " + std::to_string(disk) + " is " + (file ? "empty" : "missing") + ": " + path);
      return;
    }
    area.Add(disk, path, std::move(file), 0, size);
  }
}

// The items of the block at `at`, read through: their sizes, -1 from the
// first that cannot be read. Returns that item's index (count when all read).
size_t ReadItems(TStream& source, int64_t at, std::vector<int64_t*> sizes) {
  source.Seek(at, TSeekOrigin::Start);
  TCompressedBlockReader reader(source, &TLZMADecompressor::Create);
  size_t unread = sizes.size();
  for (size_t i = 0; i < sizes.size(); ++i) {
    *sizes[i] = CountItem(reader);
    if (*sizes[i] < 0) unread = std::min(unread, i);
  }
  return unread;
}

const char kUnreadable[] = " cannot be read whole: the block's content ends early or its LZMA stream is broken";

void InspectSolidData(TInspection& in) {
  TAreaStream area;
  OpenArea(in, 0, area);
  TBlockInfo block;
  block.offset = in.trailer.dataOffset;
  const TLocator where = [&](int64_t p) { return area.Where(p); };
  std::string damage = SurveyBlock(area, 0, block, where);
  if (damage.empty() && kBlockHeaderSize + int64_t(block.storedSize) < area.Size())
    damage = Number(uint64_t(area.Size()) - kBlockHeaderSize - block.storedSize) + " byte(s) follow the block";
  in.fileBlocks.push_back(block);
  if (!damage.empty()) Problem(in, "solid file block: " + damage);

  std::vector<int64_t*> sizes;
  for (TFileInfo& file : in.files) sizes.push_back(&file.size);
  const size_t unread = ReadItems(area, 0, sizes);
  if (damage.empty() && unread < in.files.size())
    Problem(in, "solid file block: " + FileName(in, unread) + kUnreadable);
}

// One stored size per file record, each a block length below 2^31, as setup.exe demands.
bool StoredSizesFit(TInspection& in) {
  if (in.storedSizes.size() != in.files.size()) {
    Problem(in, "the stored size list has " + Number(in.storedSizes.size()) + " entries for " +
                    Number(in.files.size()) + " file records");
    return false;
  }
  for (size_t i = 0; i < in.storedSizes.size(); ++i)
    if (in.storedSizes[i] < kBlockHeaderSize || in.storedSizes[i] >= int64_t(kArchiveValueLimit)) {
      Problem(in, "stored size " + Number(i + 1) + " is " + std::to_string(in.storedSizes[i]) + ": no block length");
      return false;
    }
  return true;
}

void InspectPerFileBlock(TInspection& in, TAreaStream& area, int64_t at, size_t i) {
  TBlockInfo block;
  area.Locate(at, block.disk, block.offset);
  const TLocator where = [&](int64_t p) { return area.Where(p); };
  std::string damage = SurveyBlock(area, at, block, where);
  if (damage.empty() && kBlockHeaderSize + int64_t(block.storedSize) != in.storedSizes[i])
    damage = "its header gives " + Number(kBlockHeaderSize + uint64_t(block.storedSize)) +
             " bytes, the stored size list " + std::to_string(in.storedSizes[i]);
  in.fileBlocks.push_back(block);
  if (!damage.empty()) Problem(in, "file block " + Number(i + 1) + ": " + damage);
  if (ReadItems(area, at, {&in.files[i].size}) == 0 && damage.empty())
    Problem(in, "file block " + Number(i + 1) + ": " + FileName(in, i) + kUnreadable);
}

void InspectPerFileData(TInspection& in) {
  if (!StoredSizesFit(in)) return;
  int64_t needed = 0;
  for (int64_t size : in.storedSizes) needed += size;
  TAreaStream area;
  OpenArea(in, needed, area);
  int64_t at = 0;
  for (size_t i = 0; i < in.files.size(); at += in.storedSizes[i++]) {
    if (at >= area.Size()) {
      const std::string blocks = i + 1 == in.files.size()
                                     ? "file block " + Number(i + 1)
                                     : "file blocks " + Number(i + 1) + " to " + Number(in.files.size());
      Problem(in, blocks + ": not found, the data found end at " + area.Where(area.Size()));
      return;
    }
    InspectPerFileBlock(in, area, at, i);
  }
  if (area.Size() > needed)
    Problem(in, Number(uint64_t(area.Size() - needed)) + " byte(s) follow the last file block, in " + area.LastPath());
}


}  // namespace

void InspectFileData(TInspection& in) {
  if (in.solid)
    InspectSolidData(in);
  else
    InspectPerFileData(in);
}
