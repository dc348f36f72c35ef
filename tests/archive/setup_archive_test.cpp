#include "archive/setup_archive.h"

#include <gtest/gtest.h>

#include "archive/block_reader.h"
#include "archive/crc32.h"
#include "archive/lzma_decompressor.h"
#include "test_support.h"
#include "toolkit/read_item.h"

namespace {

TArchiveInput SampleInput(bool solid) {
  TArchiveInput input;
  input.stub = TextBytes("MZ stand-in for the executable image");
  input.script = TextBytes(std::string("field0\0field1\0", 14));
  input.resources = {{4, TextBytes("header picture")}, {15, MixedBytes(9000)}, {6, {}}, {15, TextBytes("later")}};
  input.files = {MixedBytes(5000, 1), {}, MixedBytes(70000, 2)};
  input.solid = solid;
  return input;
}

struct TOpened {
  bool sound = false;
  TSetupArchive archive;
  std::vector<TResourceItem> resources;
};

TOpened Open(const TBytes& executable) {
  TOpened opened;
  TMemoryStream file(executable);
  opened.sound = ReadSetupArchive(file, opened.archive, [&](uint8_t code, TMemoryStream& item) {
    opened.resources.push_back({code, item.Bytes()});
  });
  return opened;
}

TArchiveTrailer TrailerOf(const TBytes& executable) {
  TArchiveTrailer trailer;
  DecodeArchiveTrailer(executable.data() + executable.size() - kTrailerSize, trailer);
  return trailer;
}

TBytes WithTrailer(TBytes executable, const TArchiveTrailer& trailer) {
  EncodeArchiveTrailer(trailer, executable.data() + executable.size() - kTrailerSize);
  return executable;
}

}  // namespace

TEST(SetupArchive, SolidRoundTripDeliversScriptAndResourcesInItemOrder) {
  TArchiveInput input = SampleInput(true);
  TSetupImage image = BuildSetupImage(input);
  TOpened opened = Open(image.executable);
  ASSERT_TRUE(opened.sound);
  EXPECT_EQ(opened.archive.script.Bytes(), input.script);
  EXPECT_EQ(opened.archive.script.Position(), 0);
  ASSERT_EQ(opened.resources.size(), input.resources.size());
  for (size_t i = 0; i < input.resources.size(); ++i) {
    EXPECT_EQ(opened.resources[i].code, input.resources[i].code);
    EXPECT_EQ(opened.resources[i].bytes, input.resources[i].bytes);
  }
  const TArchiveTrailer& t = opened.archive.trailer;
  EXPECT_EQ(t.itemCount, 5);
  EXPECT_EQ(t.storedSizeCount, 0u);
  EXPECT_EQ(image.executable.size() % 8, 0u) << "ready to be signed without a gap";
  EXPECT_LT(t.block0Offset - input.stub.size(), 8u) << "block 0 follows the image and its padding";
  EXPECT_EQ(t.dataOffset, t.block0Offset + t.block0Length) << "the data area follows block 0";
  // The item codes stand in the N bytes before the trailer.
  EXPECT_EQ(t.dataOffset + t.dataSize + 5 + kTrailerSize, image.executable.size());
  EXPECT_EQ(opened.archive.itemCodes, (std::vector<uint8_t>{0, 4, 15, 6, 15}));

  // The data area is one block holding the files as items, in order.
  TMemoryStream file(image.executable);
  file.Seek(int64_t(t.dataOffset), TSeekOrigin::Start);
  TCompressedBlockReader reader(file, &TLZMADecompressor::Create);
  for (const TBytes& expected : input.files) {
    TMemoryStream item;
    ASSERT_TRUE(ReadItem(item, reader));
    EXPECT_EQ(item.Bytes(), expected);
  }
}

TEST(SetupArchive, PerFileModeListsEachBlockAndSplitsAcrossDisks) {
  TArchiveInput input = SampleInput(false);
  input.fileBlocks = Stored();
  input.diskSize = 30000;
  TSetupImage image = BuildSetupImage(input);
  EXPECT_EQ(image.disks.size(), 2u) << "75 kB of blocks over disks of 30,000 bytes";
  TOpened opened = Open(image.executable);
  ASSERT_TRUE(opened.sound);
  ASSERT_EQ(opened.archive.storedSizes.size(), 3u);
  EXPECT_EQ(opened.archive.trailer.dataSize, 30000u);

  // Disk 1's share followed by the disk files is the whole data area; each
  // listed size frames exactly one file's block.
  const TArchiveTrailer& t = opened.archive.trailer;
  TBytes area(image.executable.begin() + long(t.dataOffset), image.executable.begin() + long(t.dataOffset + t.dataSize));
  for (const TBytes& disk : image.disks) {
    EXPECT_LE(disk.size(), 30000u);
    area.insert(area.end(), disk.begin(), disk.end());
  }
  TMemoryStream whole(area);
  for (size_t i = 0; i < input.files.size(); ++i) {
    int64_t start = whole.Position();
    {
      TCompressedBlockReader reader(whole, &TLZMADecompressor::Create);
      TMemoryStream item;
      ASSERT_TRUE(ReadItem(item, reader));
      EXPECT_EQ(item.Bytes(), input.files[i]);
    }
    EXPECT_EQ(whole.Position() - start, opened.archive.storedSizes[i]);
  }
  EXPECT_EQ(whole.Position(), whole.Size());
}

// Blocks compressed on several threads are the bytes one thread writes, and
// an encoder that refuses its options is reported whatever the thread.
TEST(SetupArchive, PerFileBlocksPackTheSameOnAnyNumberOfThreads) {
  TArchiveInput input = SampleInput(false);
  for (int i = 0; i < 12; ++i) input.files.push_back(MixedBytes(20000 + size_t(i) * 3000, uint32_t(i + 5)));
  input.diskSize = 100000;
  input.jobs = 1;
  const TSetupImage one = BuildSetupImage(input);
  size_t reported = 0;
  input.progress = [&](size_t files, uint64_t) { reported = std::max(reported, files); };
  for (unsigned jobs : {2u, 5u, 0u}) {
    input.jobs = jobs;
    const TSetupImage many = BuildSetupImage(input);
    EXPECT_TRUE(many.executable == one.executable) << jobs;
    EXPECT_TRUE(many.disks == one.disks) << jobs;
  }
  EXPECT_EQ(reported, input.files.size());
  input.fileBlocks.lzma.lc = 4;
  input.fileBlocks.lzma.lp = 4;
  EXPECT_THROW(BuildSetupImage(input), std::runtime_error);
}

TEST(SetupArchive, TrailerThatDoesNotFitTheFileIsCorrupted) {
  TBytes good = BuildSetupImage(SampleInput(false)).executable;
  ASSERT_TRUE(Open(good).sound);
  const TArchiveTrailer t = TrailerOf(good);
  const uint64_t size = good.size();

  std::vector<TArchiveTrailer> bad(9, t);
  bad[0].endMark = 0xF0;
  bad[1].block0Length = size;                           // block 0 past the end
  bad[2].dataSize = size;                               // data area past the end
  bad[3].storedSizeCount = t.storedSizeCount + 1;       // lists run into the trailer
  bad[4].itemCount = uint8_t(t.itemCount + 1);
  bad[5].storedSizeCount = uint64_t(1) << 61;           // would overflow 64 bits times 8
  bad[6].block0Offset = uint64_t(1) << 31;              // not below 2^31
  bad[7].dataOffset = UINT64_MAX - 10;
  bad[8].itemCount = 0;                                 // no script at all
  for (size_t i = 0; i < bad.size(); ++i) EXPECT_FALSE(Open(WithTrailer(good, bad[i])).sound) << "case " << i;

  EXPECT_FALSE(Open(TBytes(good.end() - 41, good.end())).sound) << "too short for a trailer";
  EXPECT_FALSE(Open({}).sound);
}

TEST(SetupArchive, DamagedBlock0IsCorrupted) {
  TArchiveInput input = SampleInput(true);
  TBytes good = BuildSetupImage(input).executable;
  const TArchiveTrailer t = TrailerOf(good);
  // A byte in the block header, in the first chunk, and in the last chunk.
  for (uint64_t at : {t.block0Offset + 2, t.block0Offset + 30, t.block0Offset + t.block0Length - 3}) {
    TBytes damaged = good;
    damaged[at] ^= 0x01;
    EXPECT_FALSE(Open(damaged).sound) << at;
  }
  // A block 0 holding fewer items than the trailer's N.
  input.resources.pop_back();
  TBytes fewer = BuildSetupImage(input).executable;
  TArchiveTrailer claimed = TrailerOf(fewer);
  claimed.itemCount = uint8_t(claimed.itemCount + 1);
  TBytes patched(fewer.begin(), fewer.end() - kTrailerSize);
  patched.push_back(15);
  patched.resize(patched.size() + kTrailerSize);
  EXPECT_FALSE(Open(WithTrailer(patched, claimed)).sound);

  // An item far longer than any picture or text: a few hundred compressed
  // bytes must not make the setup hold 64 MiB.
  input = SampleInput(true);
  input.resources = {{6, TBytes((64 << 20) + 1, 0)}};
  EXPECT_FALSE(Open(BuildSetupImage(input).executable).sound);
  input.resources = {{6, TBytes(64 << 20, 0)}};
  EXPECT_TRUE(Open(BuildSetupImage(input).executable).sound) << "the limit itself is allowed";
}
