#include "archive/lzma_decompressor.h"

#include <gtest/gtest.h>

#include <cstring>

#include "archive/block_reader.h"
#include "test_support.h"
#include "toolkit/read_item.h"

namespace {

// Feeds a decompressor straight from memory.
struct TFeed {
  TMemoryStream stream;
  static int32_t Read(void* context, void* buffer, int32_t count) {
    return static_cast<TFeed*>(context)->stream.Read(buffer, count);
  }
};

TBytes Decode(const TBytes& stream, size_t want, bool& failed) {
  TFeed feed{TMemoryStream(stream)};
  TLZMADecompressor decompressor(&TFeed::Read, &feed);
  TBytes out(want);
  out.resize(size_t(decompressor.Decompress(out.data(), int32_t(want))));
  failed = decompressor.Failed();
  return out;
}

TLzmaStreamOptions WithHeader(std::optional<uint8_t> properties, std::optional<uint32_t> dictionary) {
  TLzmaStreamOptions options;
  options.propertiesByte = properties;
  options.dictionaryField = dictionary;
  return options;
}

}  // namespace

TEST(LzmaDecompressor, ReadsStreamsWithAndWithoutEndMarkerToTheirLastByte) {
  TBytes content = MixedBytes(300000);
  for (bool endMarker : {true, false}) {
    TLzmaStreamOptions options;
    options.endMarker = endMarker;
    bool failed = true;
    // Asking for more than the stream holds delivers exactly the content.
    TBytes out = Decode(EncodeLzmaStream(content, options), content.size() + 1000, failed);
    EXPECT_EQ(out, content) << "end marker " << endMarker;
    EXPECT_FALSE(failed);
  }
}

TEST(LzmaDecompressor, RefusesInvalidHeadersAndAcceptsTheLimits) {
  TBytes content = MixedBytes(5000);
  struct Case {
    std::optional<uint8_t> properties;
    std::optional<uint32_t> dictionary;
    bool accepted;
  } cases[] = {
      {225, std::nullopt, false},       // properties byte above 224
      {255, std::nullopt, false},
      {(0 * 5 + 1) * 9 + 4, std::nullopt, false},  // lc 4 + lp 1: more than liblzma decodes
      {std::nullopt, 33554433u, false},  // dictionary above 32 MiB
      {std::nullopt, 33554432u, true},   // exactly 32 MiB
      {std::nullopt, 0u, true},          // 0 is taken as 1
  };
  for (const Case& c : cases) {
    bool failed = false;
    TBytes out = Decode(EncodeLzmaStream(content, WithHeader(c.properties, c.dictionary)), content.size(), failed);
    if (c.accepted) {
      EXPECT_EQ(out, content);
      EXPECT_FALSE(failed);
    } else {
      EXPECT_TRUE(out.empty());
      EXPECT_TRUE(failed);
    }
  }
}

TEST(LzmaDecompressor, WorkMemoryIsDictionaryPlusProbabilityTables) {
  TLzmaProperties p;
  const uint8_t header[5] = {0x5D, 0x00, 0x00, 0x00, 0x02};  // lc 3, lp 0, pb 2, 32 MiB
  ASSERT_TRUE(DecodeLzmaHeader(header, p));
  EXPECT_EQ(p.lc, 3u);
  EXPECT_EQ(p.lp, 0u);
  EXPECT_EQ(p.pb, 2u);
  EXPECT_EQ(LzmaWorkMemorySize(p), 33554432u + 15980u);
}

TEST(LzmaDecompressor, AFailedStartStaysFailed) {
  // An invalid header followed by a valid stream: the valid bytes must never
  // be taken as a new stream.
  TBytes valid = EncodeLzmaStream(TextBytes("payload"), {});
  TBytes input = Concat({TBytes{225, 0, 0, 1, 0}, valid});
  TFeed feed{TMemoryStream(input)};
  TLZMADecompressor decompressor(&TFeed::Read, &feed);
  uint8_t out[7];
  EXPECT_EQ(decompressor.Decompress(out, 7), 0);
  EXPECT_EQ(decompressor.Decompress(out, 7), 0);
  EXPECT_TRUE(decompressor.Failed());
  EXPECT_EQ(feed.stream.Position(), 5) << "nothing after the refused header was read";
}

TEST(LzmaDecompressor, DecoderStateRunsOnAcrossItemsAndCalls) {
  // Later items repeat earlier ones, so they decode only from the shared
  // dictionary; small reads exercise continuing across calls.
  TBytes first = MixedBytes(70000, 5);
  std::vector<TBytes> items = {first, first, TBytes(first.begin() + 100, first.begin() + 60000), first};
  TMemoryStream source(BlockOfItems(items, Lzma(false)));
  TCompressedBlockReader reader(source, &TLZMADecompressor::Create);
  for (const TBytes& expected : items) {
    int32_t length = 0;
    ASSERT_TRUE(ReadItemLength(reader, length));
    ASSERT_EQ(size_t(length), expected.size());
    TBytes got(expected.size());
    for (size_t at = 0; at < got.size(); at += 333)
      ASSERT_TRUE(reader.Read(got.data() + at, int32_t(std::min<size_t>(333, got.size() - at))));
    EXPECT_EQ(got, expected);
  }
}

TEST(LzmaDecompressor, CorruptDataIsAFailureNotData) {
  // Damage inside the range-coded data (past the header, with chunk CRCs
  // recomputed by framing the damaged stream) must not pass as a sound item.
  TBytes content;
  AppendItem(content, MixedBytes(200000, 9));
  TBytes stream = EncodeLzmaStream(content, {});
  int detected = 0;
  for (size_t at = 20; at < stream.size(); at += stream.size() / 16) {
    TBytes damaged = stream;
    damaged[at] ^= 0xFF;
    TMemoryStream source(FrameBlock(damaged, true));
    TCompressedBlockReader reader(source, &TLZMADecompressor::Create);
    TMemoryStream item;
    bool sound = ReadItem(item, reader);
    if (!sound) ++detected;
    // Whatever the decoder makes of it, a "sound" result must at least have
    // the right length; the chunk CRCs are what guards the content.
    if (sound) {
      EXPECT_EQ(item.Size(), 200000);
    }
  }
  EXPECT_GT(detected, 0);
}
