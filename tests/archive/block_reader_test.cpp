#include "archive/block_reader.h"

#include <gtest/gtest.h>

#include "archive/crc32.h"
#include "archive/lzma_decompressor.h"
#include "test_support.h"
#include "toolkit/read_item.h"

namespace {

TBytes ReadAll(TCompressedBlockReader& reader, size_t size, bool& sound) {
  TBytes out(size);
  sound = reader.Read(out.data(), int32_t(size));
  return out;
}

// The chunk data lengths of a framed block, found by walking it.
std::vector<size_t> ChunkLengths(const TBytes& block) {
  std::vector<size_t> lengths;
  uint32_t remaining = LoadLE32(block.data() + 4);
  while (remaining >= 5) {
    remaining -= 4;
    size_t n = std::min<uint32_t>(remaining, kChunkDataSize);
    lengths.push_back(n);
    remaining -= uint32_t(n);
  }
  return lengths;
}

}  // namespace

TEST(BlockReader, StoredBlockOfS2380086BytesHas581Chunks) {
  const size_t dataLength = 2380086 - 4 * 581;
  TBytes data = MixedBytes(dataLength);
  TBytes block = FrameBlock(data, false);
  EXPECT_EQ(LoadLE32(block.data() + 4), 2380086u);
  EXPECT_EQ(block.size(), 9u + 2380086u);
  std::vector<size_t> chunks = ChunkLengths(block);
  ASSERT_EQ(chunks.size(), 581u);
  EXPECT_EQ(chunks.back(), 2082u);

  TMemoryStream source(block);
  TCompressedBlockReader reader(source, &TLZMADecompressor::Create);
  bool sound = false;
  EXPECT_EQ(ReadAll(reader, dataLength, sound), data);
  EXPECT_TRUE(sound);
  uint8_t beyond;
  EXPECT_FALSE(reader.Read(&beyond, 1)) << "reading past the block's content is a short read";
}

TEST(BlockReader, ItemsCrossingChunkAndPieceBoundariesArriveWholeAndInOrder) {
  std::vector<TBytes> items = {MixedBytes(4095, 1), {}, MixedBytes(8193, 2), MixedBytes(1, 3),
                               MixedBytes(3 * kItemPieceSize + 4096 * 2 + 5, 4), {}};
  for (const TBlockOptions& options : {Stored(), Lzma()}) {
    TMemoryStream source(BlockOfItems(items, options));
    TCompressedBlockReader reader(source, &TLZMADecompressor::Create);
    for (const TBytes& expected : items) {
      TMemoryStream item;
      ASSERT_TRUE(ReadItem(item, reader));
      EXPECT_EQ(item.Bytes(), expected);
      EXPECT_EQ(item.Position(), 0);
    }
  }
}

TEST(BlockReader, NegativeItemLengthIsAnEmptyItem) {
  TBytes content = {0xFF, 0xFF, 0xFF, 0xFF};  // L = -1
  AppendItem(content, TextBytes("next"));
  TMemoryStream source(BuildBlock(content, Stored()));
  TCompressedBlockReader reader(source, &TLZMADecompressor::Create);
  TMemoryStream empty, next;
  EXPECT_TRUE(ReadItem(empty, reader));
  EXPECT_EQ(empty.Size(), 0);
  EXPECT_TRUE(ReadItem(next, reader));
  EXPECT_EQ(next.Bytes(), TextBytes("next"));
}

TEST(BlockReader, BadHeadersDeliverNothing) {
  TBytes data = MixedBytes(10000);
  TBytes good = FrameBlock(data, false);

  TBytes badCrc = good;
  badCrc[0] ^= 1;
  TBytes oversized = good;  // one byte more than the source holds, CRC kept right
  StoreLE32(oversized.data() + 4, LoadLE32(good.data() + 4) + 1);
  StoreLE32(oversized.data(), Crc32(oversized.data() + 4, 5));
  TBytes shortHeader(good.begin(), good.begin() + 8);

  for (const TBytes& bytes : {badCrc, oversized, shortHeader}) {
    TMemoryStream source(bytes);
    TCompressedBlockReader reader(source, &TLZMADecompressor::Create);
    EXPECT_TRUE(reader.Damaged());
    EXPECT_FALSE(reader.InBlock());
    bool sound = true;
    TBytes out = ReadAll(reader, 100, sound);
    EXPECT_FALSE(sound);
    EXPECT_EQ(out, TBytes(100, 0)) << "nothing of the block is delivered";
  }
}

TEST(BlockReader, DestroyingAfterAPartialReadLeavesTheSourceAtTheBlockEnd) {
  TBytes trailer = TextBytes("after");
  for (const TBlockOptions& options : {Stored(), Lzma()}) {
    TBytes block = BlockOfItems({MixedBytes(50000)}, options);
    TMemoryStream source(Concat({TextBytes("lead"), block, trailer}));
    source.Seek(4, TSeekOrigin::Start);
    {
      TCompressedBlockReader reader(source, &TLZMADecompressor::Create);
      uint8_t some[100];
      ASSERT_TRUE(reader.Read(some, sizeof some));
    }
    EXPECT_EQ(source.Position(), int64_t(4 + block.size()));
  }
}

TEST(BlockReader, AFlippedByteInAnyChunkIsReportedNotDelivered) {
  TBytes data = MixedBytes(9 * kChunkDataSize + 100);
  for (const TBlockOptions& options : {Stored(), Lzma()}) {
    TBytes content;
    AppendItem(content, data);
    TBytes block = BuildBlock(content, options);
    size_t chunks = ChunkLengths(block).size();
    ASSERT_GE(chunks, 2u);
    for (size_t chunk = 0; chunk < chunks; ++chunk) {
      // A byte in the middle of the chunk's data, and one in its CRC.
      size_t start = kBlockHeaderSize + chunk * (4 + kChunkDataSize);
      for (size_t at : {start + 4 + std::min<size_t>(700, block.size() - start - 5), start + 1}) {
        TBytes damaged = block;
        damaged[at] ^= 0x20;
        TMemoryStream source(damaged);
        TCompressedBlockReader reader(source, &TLZMADecompressor::Create);
        TMemoryStream item;
        EXPECT_FALSE(ReadItem(item, reader)) << "chunk " << chunk << " byte " << at;
        EXPECT_TRUE(reader.Damaged());
      }
    }
  }
}

TEST(BlockReader, TruncatedBlockIsReported) {
  TBytes block = BlockOfItems({MixedBytes(20000)}, Lzma());
  // The header is intact but the source ends early: the stored size no longer fits.
  TMemoryStream cut(TBytes(block.begin(), block.end() - 10));
  TCompressedBlockReader reader(cut, &TLZMADecompressor::Create);
  TMemoryStream item;
  EXPECT_FALSE(ReadItem(item, reader));

  // An item whose length claims more than the block holds.
  TBytes content;
  AppendItem(content, MixedBytes(100));
  StoreLE32(content.data(), 5000);
  TMemoryStream source(BuildBlock(content, Lzma()));
  TCompressedBlockReader longItem(source, &TLZMADecompressor::Create);
  EXPECT_FALSE(ReadItem(item, longItem));
}

TEST(BlockReader, OneDecompressorServesBlockAfterBlockWhateverTheOneBeforeLeftItIn) {
  TBlockOptions small = Lzma(), other = Lzma(false);
  small.lzma.dictionarySize = 64 << 10;
  other.lzma.lc = 0, other.lzma.lp = 2, other.lzma.pb = 0;
  TBytes content;
  AppendItem(content, MixedBytes(90000, 7));
  const TBytes stream = EncodeLzmaStream(content, Lzma().lzma);
  // Sound chunks around a stream that stops halfway: the decoder is left inside it.
  const TBytes cut = FrameBlock(TBytes(stream.begin(), stream.begin() + stream.size() / 2), true);
  struct TCase {
    TBytes block;
    std::vector<TBytes> items;  // empty: the block is damaged
  };
  const std::vector<TCase> cases = {
      {BlockOfItems({MixedBytes(70000, 1), MixedBytes(10, 2)}, Lzma()), {MixedBytes(70000, 1), MixedBytes(10, 2)}},
      {cut, {}},
      {BlockOfItems({MixedBytes(1200000, 8)}, Lzma()), {MixedBytes(1200000, 8)}},  // more than a kept dictionary
      {BlockOfItems({MixedBytes(100000, 3)}, small), {MixedBytes(100000, 3)}},
      {BlockOfItems({MixedBytes(5000, 4)}, Stored()), {MixedBytes(5000, 4)}},
      {FrameBlock(MixedBytes(3000, 5), true), {}},  // no LZMA stream at all
      {BlockOfItems({MixedBytes(40000, 6), {}}, other), {MixedBytes(40000, 6), {}}},
      {BlockOfItems({MixedBytes(70000, 1)}, Lzma()), {MixedBytes(70000, 1)}},
  };
  TBytes all;
  for (const TCase& c : cases) all = Concat({all, c.block});
  TMemoryStream source(all);
  TLZMADecompressor decompressor(nullptr, nullptr);
  int64_t end = 0;
  for (size_t k = 0; k < cases.size(); ++k) {
    {
      TCompressedBlockReader reader(source, decompressor);
      if (cases[k].items.empty()) {
        TMemoryStream item;
        EXPECT_FALSE(ReadItem(item, reader)) << "block " << k;
      }
      for (const TBytes& expected : cases[k].items) {
        TMemoryStream item;
        ASSERT_TRUE(ReadItem(item, reader)) << "block " << k;
        EXPECT_EQ(item.Bytes(), expected) << "block " << k;
      }
    }
    end += int64_t(cases[k].block.size());
    EXPECT_EQ(source.Position(), end) << "block " << k;
  }
}
