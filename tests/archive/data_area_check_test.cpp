#include "archive/data_area_check.h"

#include <gtest/gtest.h>

#include <functional>

#include "test_support.h"

namespace {

struct TArea {
  TBytes bytes;
  std::vector<int64_t> sizes;  // empty: solid
};

// Four per-file blocks (two stored, one of them several chunks and one whose
// last chunk holds a single byte, two LZMA) or one solid block over the same
// items.
TArea MakeArea(bool solid) {
  const std::vector<TBytes> files = {MixedBytes(100, 1), MixedBytes(20000, 2), TBytes(), MixedBytes(4093, 3)};
  TArea area;
  if (solid) {
    area.bytes = BlockOfItems(files, Stored());
    return area;
  }
  for (size_t i = 0; i < files.size(); ++i) {
    TBytes block = BlockOfItems({files[i]}, i == 1 || i == 3 ? Stored() : Lzma());
    area.sizes.push_back(int64_t(block.size()));
    area.bytes.insert(area.bytes.end(), block.begin(), block.end());
  }
  return area;
}

// Feeds the area cut into pieces of `piece` bytes, as disks would split it.
bool Check(const TArea& area, size_t piece, bool& complete) {
  TDataAreaCheck check(area.sizes);
  bool sound = true;
  for (size_t at = 0; at < area.bytes.size() && sound; at += piece)
    sound = check.Feed(area.bytes.data() + at, std::min(piece, area.bytes.size() - at));
  complete = check.Complete();
  return sound;
}

}  // namespace

TEST(DataAreaCheck, SoundAreasPassInPiecesOfAnySize) {
  for (bool solid : {true, false})
    for (size_t piece : {size_t(1), size_t(3), size_t(4099), size_t(4100), size_t(1) << 20}) {
      bool complete = false;
      EXPECT_TRUE(Check(MakeArea(solid), piece, complete)) << solid << " " << piece;
      EXPECT_TRUE(complete) << solid << " " << piece;
    }
}

TEST(DataAreaCheck, EveryKindOfDamageIsFound) {
  struct TCase {
    const char* what;
    bool solid;
    std::function<void(TArea&)> damage;
    bool sound, complete;
  } cases[] = {
      {"header CRC", false, [](TArea& a) { a.bytes[0] ^= 1; }, false, false},
      {"stored size in header", true, [](TArea& a) { a.bytes[5] ^= 1; }, false, false},
      {"first chunk's CRC", true, [](TArea& a) { a.bytes[9] ^= 0x80; }, false, false},
      {"data of a middle chunk", true, [](TArea& a) { a.bytes[9 + 4100 * 2 + 50] ^= 1; }, false, false},
      {"last byte of the last block", false, [](TArea& a) { a.bytes.back() ^= 1; }, false, false},
      {"size list disagrees with a header", false, [](TArea& a) { a.sizes[1] += 1; }, false, false},
      {"more blocks than the size list", false, [](TArea& a) { a.sizes.pop_back(); }, false, false},
      {"a second block in solid mode", true, [](TArea& a) { a.bytes = Concat({a.bytes, a.bytes}); }, false, false},
      {"truncated in the last block", false, [](TArea& a) { a.bytes.resize(a.bytes.size() - 3); }, true, false},
      {"truncated between blocks", false, [](TArea& a) { a.bytes.resize(size_t(a.sizes[0])); }, true, false},
  };
  for (const TCase& c : cases) {
    TArea area = MakeArea(c.solid);
    c.damage(area);
    for (size_t piece : {size_t(1), size_t(5000), size_t(1) << 20}) {
      bool complete = true;
      EXPECT_EQ(Check(area, piece, complete), c.sound) << c.what << " " << piece;
      EXPECT_EQ(complete, c.complete) << c.what << " " << piece;
    }
  }
}
