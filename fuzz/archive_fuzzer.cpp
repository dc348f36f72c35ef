// Treats the input as a whole setup executable and reads it the way setup.exe
// does: the archive (trailer, lists, block 0 with the script and resources),
// the setup script, then the items of the file data area.
//
// The harness adds no checks of its own beyond those the installation makes
// (per-file mode: the stored size list must match the file records; a block
// that runs past disk 1 would need a disk file, which this input does not
// have). The script's header check value is not compared: anyone can compute
// it, so a crafted setup reaches the file data area with any script. The
// harness never allocates what the input claims: decompressed file bytes go
// through one fixed piece buffer, and their total is capped so that a small
// input cannot keep an iteration busy for long.
//
// Every chunk carries a CRC-32, so almost any mutation inside a block would
// only ever test the CRC comparison. The custom mutator therefore usually
// rewrites the header and chunk CRCs of block 0 and of the blocks of the file
// data area after mutating, so that damaged LZMA streams, item lengths and
// scripts reach the code behind the checks; now and then it leaves them as
// they are, so the mismatch paths stay covered too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/archive_trailer.h"
#include "archive/block_reader.h"
#include "archive/crc32.h"
#include "archive/data_area_check.h"
#include "archive/lzma_decompressor.h"
#include "archive/setup_archive.h"
#include "archive/setup_script.h"
#include "toolkit/memory_stream.h"
#include "toolkit/piecewise_copy.h"
#include "toolkit/read_item.h"

namespace {

constexpr int kSolidModeField = 34;
constexpr uint64_t kOutputBudget = uint64_t(8) << 20;  // decompressed bytes per input
constexpr uint32_t kLookedUpRecords = 256;            // per section

// Reads one item as the file extraction does: its length, then pieces of at
// most 8,192 bytes. False when the item is damaged or the budget is spent.
bool ConsumeItem(TByteSource& source, uint64_t& budget) {
  int32_t remaining = 0;
  if (budget < 4 || !ReadItemLength(source, remaining)) return false;
  budget -= 4;
  uint8_t piece[kItemPieceSize];
  while (remaining > 0) {
    int32_t n = remaining < kItemPieceSize ? remaining : kItemPieceSize;
    if (budget < uint64_t(n)) return false;
    budget -= uint64_t(n);
    if (!source.Read(piece, n)) return false;
    remaining -= n;
  }
  return true;
}

// Every lookup the later stages may make must stay inside what was parsed,
// including counts larger than the fields the script holds.
void LookUpRecords() {
  volatile size_t sink = 0;
  for (int n = 0; n < kHeaderFieldCount + 1; ++n) sink = sink + FieldText(n).size() + size_t(FieldInt(n));
  for (int s = 0; s < kSectionCount; ++s) {
    TSection section = TSection(s);
    uint32_t count = SectionCount(section);
    int fields = SectionLayout(section).fieldsPerRecord;
    for (uint32_t k = 0; k < count && k < kLookedUpRecords; ++k)
      for (int j = 0; j <= fields; ++j) sink = sink + SectionField(section, k, j).size();
    sink = sink + SectionField(section, count, 0).size();
  }
}

void WalkSolid(TMemoryStream& file, const TSetupArchive& archive, uint32_t files) {
  if (file.Seek(int64_t(archive.trailer.dataOffset), TSeekOrigin::Start) < 0) return;
  TCompressedBlockReader reader(file, &TLZMADecompressor::Create);
  uint64_t budget = kOutputBudget;
  for (uint32_t i = 0; i < files; ++i)
    if (!ConsumeItem(reader, budget)) return;
}

void WalkPerFile(TMemoryStream& file, const TSetupArchive& archive, uint32_t files) {
  // The installation refuses a stored size list that does not match the
  // file records before it writes anything.
  if (archive.storedSizes.size() != files) return;
  const int64_t diskEnd = int64_t(archive.trailer.dataOffset + archive.trailer.dataSize);
  int64_t position = int64_t(archive.trailer.dataOffset);
  if (file.Seek(position, TSeekOrigin::Start) < 0) return;
  uint64_t budget = kOutputBudget;
  for (int64_t entry : archive.storedSizes) {
    int64_t wanted = int64_t(uint32_t(entry));  // only the low 32 bits count
    int64_t chunk = wanted <= diskEnd - position ? wanted : diskEnd - position;
    TMemoryStream staging;
    if (chunk > 0) {
      int64_t copied = CopyPiecewise(staging, file, chunk);
      position += copied;
      wanted -= copied;
    }
    if (wanted > 0) return;  // the block goes on in a disk file
    staging.Seek(0, TSeekOrigin::Start);
    TCompressedBlockReader reader(staging, &TLZMADecompressor::Create);
    if (!ConsumeItem(reader, budget)) return;
  }
}

// Rewrites the CRCs of the block at offset, as far as it lies below limit
// (the end of its region inside the input); returns where the block claims
// to end.
uint64_t RepairBlock(uint8_t* data, uint64_t offset, uint64_t limit) {
  if (offset + kBlockHeaderSize > limit) return limit;
  uint8_t* header = data + offset;
  StoreLE32(header, Crc32(header + 4, 5));
  uint64_t remaining = LoadLE32(header + 4);
  uint64_t position = offset + kBlockHeaderSize;
  const uint64_t end = position + remaining;
  // The same walk as the block reader's: a chunk needs its CRC and one byte.
  // A chunk cut off by the limit goes on elsewhere (a disk file) or nowhere.
  while (remaining >= 5) {
    uint64_t n = remaining - 4 < uint64_t(kChunkDataSize) ? remaining - 4 : uint64_t(kChunkDataSize);
    if (position + 4 + n > limit) break;
    StoreLE32(data + position, Crc32(data + position + 4, size_t(n)));
    position += 4 + n;
    remaining -= 4 + n;
  }
  return end;
}

void RepairChecksums(uint8_t* data, uint64_t size) {
  if (size < uint64_t(kTrailerSize)) return;
  TArchiveTrailer t;
  DecodeArchiveTrailer(data + size - kTrailerSize, t);
  // Keep away from the lists and the trailer, and never let a sum wrap.
  const uint64_t end = size - kTrailerSize;
  auto clamp = [end](uint64_t offset, uint64_t length) {
    return offset > end || length > end - offset ? end : offset + length;
  };
  if (t.block0Offset < end) RepairBlock(data, t.block0Offset, clamp(t.block0Offset, t.block0Length));
  // Solid mode has one block here, per-file mode one per file, back to back.
  const uint64_t areaEnd = clamp(t.dataOffset, t.dataSize);
  uint64_t position = t.dataOffset;
  for (int blocks = 0; position < areaEnd && blocks < 1024; ++blocks) position = RepairBlock(data, position, areaEnd);
}

}  // namespace

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
  size = LLVMFuzzerMutate(data, size, maxSize);
  if (seed % 8 != 0) RepairChecksums(data, size);
  return size;
}

// The rss limit the fuzzer runs with leaves no room for AddressSanitizer's
// default 256 MB quarantine of freed memory.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

// The check the setup makes before it changes anything, fed in pieces whose
// sizes the input's last byte picks: it must end, whatever the bytes.
static void CheckDataArea(const uint8_t* data, size_t size, const TSetupArchive& archive) {
  const uint64_t start = archive.trailer.dataOffset;
  if (start > size) return;
  const uint64_t length = std::min<uint64_t>(archive.trailer.dataSize, size - start);
  TDataAreaCheck check(FieldFlag(kSolidModeField) ? std::vector<int64_t>() : archive.storedSizes);
  const size_t piece = size > 0 ? 1 + data[size - 1] * 37u : 1;
  for (uint64_t at = 0; at < length && !check.Damaged(); at += piece)
    check.Feed(data + start + at, size_t(std::min<uint64_t>(piece, length - at)));
  (void)check.Complete();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream file(std::vector<uint8_t>(data, data + size));
  TSetupArchive archive;
  size_t resourceBytes = 0;
  bool opened = ReadSetupArchive(file, archive, [&](uint8_t code, TMemoryStream& item) {
    uint8_t piece[256];
    int32_t n;
    while ((n = item.Read(piece, sizeof piece)) > 0) resourceBytes += size_t(n) + piece[n - 1] + code;
  });
  if (!opened) return 0;

  if (!ParseScriptHeader(archive.script) || !ParseScriptSections(archive.script)) return 0;
  LookUpRecords();

  uint32_t files = SectionCount(kSectionFiles);
  CheckDataArea(data, size, archive);
  if (FieldFlag(kSolidModeField))
    WalkSolid(file, archive, files);
  else
    WalkPerFile(file, archive, files);
  return 0;
}
