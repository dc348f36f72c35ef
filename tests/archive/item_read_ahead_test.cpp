#include "archive/item_read_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "archive/block_reader.h"
#include "archive/lzma_decompressor.h"
#include "test_support.h"
#include "toolkit/memory_stream.h"

namespace {

// Reads every item the way the file writer does: the length, then the bytes
// in pieces of `piece`; returns the items and whether all were sound.
std::vector<TBytes> Items(TByteSource& source, size_t count, int32_t piece, bool& sound) {
  std::vector<TBytes> items;
  sound = true;
  for (size_t i = 0; i < count && sound; ++i) {
    uint8_t raw[4];
    sound = source.Read(raw, 4);
    const int32_t length = int32_t(LoadLE32(raw));
    TBytes item;
    for (int32_t done = 0; sound && done < length;) {
      const int32_t n = std::min(piece, length - done);
      item.resize(size_t(done + n));
      sound = source.Read(item.data() + done, n);
      done += n;
    }
    if (sound) items.push_back(item);
  }
  return items;
}

// A source that takes its time, as a slow decoder does.
class TSlowSource : public TByteSource {
public:
  explicit TSlowSource(TByteSource& inner) : inner_(inner) {}
  bool Read(void* buffer, int32_t count) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return inner_.Read(buffer, count);
  }

private:
  TByteSource& inner_;
};

}  // namespace

// Sound, damaged half-way, and cut short: the writer gets what reading the
// block itself would have given it, item by item.
TEST(ItemReadAhead, DeliversWhatTheBlockReaderWouldAndStopsWhereItFails) {
  const std::vector<TBytes> files = {MixedBytes(300000, 1), {}, MixedBytes(5, 2), MixedBytes(900000, 3)};
  const TBytes block = BlockOfItems(files, Lzma());
  struct TCase {
    const char* what;
    size_t damageAt;  // 0: none
    size_t keep;      // bytes of the block kept
  } cases[] = {{"sound", 0, block.size()},
               {"a flipped byte in the last chunk", block.size() - 3, block.size()},
               {"cut short", 0, block.size() / 2}};
  for (const TCase& c : cases) {
    TBytes bytes(block.begin(), block.begin() + long(c.keep));
    if (c.damageAt) bytes[c.damageAt] ^= 1;
    for (size_t limit : {size_t(1), TItemReadAhead::kDefaultLimit}) {
      TMemoryStream direct(bytes), ahead(bytes);
      TCompressedBlockReader directReader(direct, &TLZMADecompressor::Create);
      TCompressedBlockReader aheadReader(ahead, &TLZMADecompressor::Create);
      bool directSound = false, aheadSound = false;
      const std::vector<TBytes> expected = Items(directReader, files.size(), 8192, directSound);
      TItemReadAhead reader(aheadReader, uint32_t(files.size()), nullptr, limit);
      EXPECT_EQ(Items(reader, files.size(), 8192, aheadSound), expected) << c.what;
      EXPECT_EQ(aheadSound, directSound) << c.what;
      EXPECT_EQ(directSound, c.damageAt == 0 && c.keep == block.size()) << c.what;
    }
  }
}

TEST(ItemReadAhead, KeepsTheCallerResponsiveWhileItWaitsAndStopsEarlyWhenDropped) {
  const TBytes block = BlockOfItems({MixedBytes(400000, 4)}, Stored());
  TMemoryStream stream(block);
  TCompressedBlockReader blockReader(stream, &TLZMADecompressor::Create);
  TSlowSource slow(blockReader);
  std::atomic<int> idles{0};
  {
    TItemReadAhead reader(slow, 1, [&] { ++idles; });
    uint8_t length[4];
    EXPECT_TRUE(reader.Read(length, 4));
    TBytes first(100000);
    EXPECT_TRUE(reader.Read(first.data(), int32_t(first.size())));
    // Dropped with most of the item unread: the thread stops, nothing hangs.
  }
  EXPECT_GE(idles.load(), 2) << "the caller's windows ran while it waited";

  // The decoder far ahead of a slow writer: the caller never waits, and its
  // windows still run every few milliseconds.
  TMemoryStream again(block);
  TCompressedBlockReader fastReader(again, &TLZMADecompressor::Create);
  int writerIdles = 0;
  TItemReadAhead reader(fastReader, 1, [&] { ++writerIdles; });
  uint8_t length[4];
  ASSERT_TRUE(reader.Read(length, 4));
  TBytes piece(8192);
  for (int i = 0; i < 40; ++i) {
    ASSERT_TRUE(reader.Read(piece.data(), int32_t(piece.size())));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // writing a piece
  }
  EXPECT_GE(writerIdles, 5) << "200 ms of writing without a wait";
}
