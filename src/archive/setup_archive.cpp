#include "archive/setup_archive.h"

#include "archive/block_reader.h"
#include "archive/lzma_decompressor.h"
#include "toolkit/piecewise_copy.h"
#include "toolkit/read_item.h"

static bool ReadLists(TStream& file, TSetupArchive& archive) {
  const TArchiveTrailer& t = archive.trailer;
  if (file.Seek(int64_t(t.dataOffset + t.dataSize), TSeekOrigin::Start) < 0) return false;
  archive.storedSizes.resize(size_t(t.storedSizeCount));
  for (int64_t& size : archive.storedSizes) {
    uint8_t raw[8];
    if (!file.ReadExact(raw, 8)) return false;
    size = int64_t(LoadLE64(raw));
  }
  archive.itemCodes.resize(t.itemCount);
  return file.ReadExact(archive.itemCodes.data(), int32_t(t.itemCount));
}

// Far above any real script, picture or text, and far below what the
// memory of the machines the setup runs on can hold: an item longer than
// this is damage, however well its stream decompresses.
constexpr int32_t kBlock0ItemLimit = 64 << 20;

static bool ReadBlock0(TStream& file, TSetupArchive& archive, const TResourceSink& dispatch) {
  const TArchiveTrailer& t = archive.trailer;
  TMemoryStream block0;
  if (file.Seek(int64_t(t.block0Offset), TSeekOrigin::Start) < 0) return false;
  if (CopyPiecewise(block0, file, int64_t(t.block0Length)) != int64_t(t.block0Length)) return false;
  block0.Seek(0, TSeekOrigin::Start);

  TCompressedBlockReader reader(block0, &TLZMADecompressor::Create);
  if (!ReadItem(archive.script, reader, kBlock0ItemLimit)) return false;
  for (size_t i = 1; i < archive.itemCodes.size(); ++i) {
    TMemoryStream item;
    if (!ReadItem(item, reader, kBlock0ItemLimit)) return false;
    if (dispatch) dispatch(archive.itemCodes[i], item);
  }
  return true;
}

bool ReadSetupArchive(TStream& file, TSetupArchive& archive, const TResourceSink& dispatch) {
  return ReadArchiveTrailer(file, archive.trailer) && ReadLists(file, archive) &&
         ReadBlock0(file, archive, dispatch);
}
