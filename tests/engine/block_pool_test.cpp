#include "engine/block_pool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "archive/setup_archive.h"
#include "mksetup/archive_writer.h"
#include "test_support.h"
#include "toolkit/file_stream.h"

namespace fs = std::filesystem;

namespace {

// A per-file setup of many files, from empty to 600 KB, written to a file.
struct TPerFileSetup {
  std::vector<TBytes> files;
  std::vector<TPooledBlock> blocks;
  fs::path path;

  explicit TPerFileSetup(const std::string& name) {
    TArchiveInput input;
    input.stub = TextBytes("MZ stand-in");
    input.script = TextBytes(std::string("field0\0", 7));
    input.solid = false;
    for (uint32_t i = 0; i < 24; ++i) files.push_back(MixedBytes(size_t(i % 6 == 5 ? 600000 : i * 3000), i + 1));
    input.files = files;
    const TBytes executable = BuildSetupImage(input).executable;
    path = fs::temp_directory_path() / (name + "-" + std::to_string(std::random_device()()) + ".exe");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(executable.data()),
                                                 std::streamsize(executable.size()));
    TMemoryStream stream(executable);
    TSetupArchive archive;
    EXPECT_TRUE(ReadSetupArchive(stream, archive, nullptr));
    int64_t offset = int64_t(uint32_t(archive.trailer.dataOffset));
    for (int64_t size : archive.storedSizes) {
      blocks.push_back({offset, true, uint32_t(size)});
      offset += size;
    }
  }
  ~TPerFileSetup() { fs::remove(path); }

  // The item one decoder gives for file i: its length, then its bytes.
  TBytes Item(size_t i) const {
    TBytes item(4);
    StoreLE32(item.data(), uint32_t(files[i].size()));
    item.insert(item.end(), files[i].begin(), files[i].end());
    return item;
  }
};

}  // namespace

// Whatever the number of workers and however little they may hold, the
// items come out whole and in record order; an unwanted block is never
// decoded, an item above the largest held is left to the caller, and the
// one the writing waits for is never held back by the budget.
TEST(BlockPool, HandsOverEveryWantedItemInOrderWithinItsLimits) {
  TPerFileSetup setup("pool");
  struct TCase {
    int threads;
    uint64_t held, largest;
  } cases[] = {{1, 64 << 20, 32 << 20}, {2, 64 << 20, 32 << 20}, {4, 1 << 20, 1 << 20}, {3, 100000, 500000}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.threads) + " workers, " + std::to_string(c.held) + " held");
    std::vector<TPooledBlock> blocks = setup.blocks;
    for (size_t i = 2; i < blocks.size(); i += 7) blocks[i].wanted = false;
    TBlockPool pool(setup.path.string(), blocks, {c.threads, c.held, c.largest});
    int idles = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
      if (!blocks[i].wanted) continue;
      std::vector<uint8_t> item;
      const TBlockPool::TTaken taken = pool.Take(i, item, [&idles] { ++idles; });
      if (setup.files[i].size() > c.largest) {
        EXPECT_EQ(taken, TBlockPool::TTaken::Large) << i;
        EXPECT_TRUE(item.empty());
      } else {
        ASSERT_EQ(taken, TBlockPool::TTaken::Item) << i;
        EXPECT_TRUE(item == setup.Item(i)) << "item " << i;
      }
    }
  }
}

// Blocks gathered from disk files are decoded once their bytes are
// supplied, in order with the others; a gathered item too large to hold
// comes back as its block, for the writing to decode.
TEST(BlockPool, GatheredBlocksAreDecodedOnceSuppliedInOrderWithTheOthers) {
  TPerFileSetup setup("pool-gathered");
  auto file = TFileStream::Open(setup.path.string(), TFileStream::Mode::OpenRead);
  ASSERT_TRUE(file);
  auto blockBytes = [&](size_t i) {
    std::vector<uint8_t> bytes(setup.blocks[i].storedSize);
    EXPECT_EQ(file->Seek(setup.blocks[i].offset, TSeekOrigin::Start), setup.blocks[i].offset);
    EXPECT_TRUE(file->ReadExact(bytes.data(), int32_t(bytes.size())));
    return bytes;
  };
  for (int threads : {1, 3}) {
    SCOPED_TRACE(threads);
    std::vector<TPooledBlock> blocks = setup.blocks;
    for (size_t i = 8; i < blocks.size(); ++i) blocks[i].gathered = true;
    TBlockPool pool(setup.path.string(), blocks, {threads, 300000, 150000});
    size_t supplied = 8;
    for (size_t i = 0; i < blocks.size(); ++i) {
      for (; supplied < std::min(i + 3, blocks.size()); ++supplied) pool.Supply(supplied, blockBytes(supplied));
      std::vector<uint8_t> item;
      const TBlockPool::TTaken taken = pool.Take(i, item, nullptr);
      if (setup.files[i].size() > 150000) {
        ASSERT_EQ(taken, TBlockPool::TTaken::Large) << i;
        EXPECT_TRUE(i < 8 ? item.empty() : item == blockBytes(i)) << i;
      } else {
        ASSERT_EQ(taken, TBlockPool::TTaken::Item) << i;
        EXPECT_TRUE(item == setup.Item(i)) << i;
      }
    }
  }
}

// Damage in one block is reported at that block; the ones before it are
// whole. A pool given up early stops without its items being taken.
TEST(BlockPool, DamageIsReportedWhereItIsAndAnEarlyEndStopsTheWorkers) {
  TPerFileSetup setup("pool-damage");
  const size_t damaged = 9;
  {
    std::fstream file(setup.path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(setup.blocks[damaged].offset + 9 + 4 + 40);  // inside its first chunk
    file.put('\x5A');
  }
  TBlockPool pool(setup.path.string(), setup.blocks, {2, 4 << 20, 2 << 20});
  for (size_t i = 0; i <= damaged; ++i) {
    std::vector<uint8_t> item;
    const TBlockPool::TTaken taken = pool.Take(i, item, nullptr);
    if (i < damaged) EXPECT_TRUE(taken == TBlockPool::TTaken::Item && item == setup.Item(i)) << i;
    else EXPECT_EQ(taken, TBlockPool::TTaken::Damaged);
  }
  TBlockPool untouched(setup.path.string(), setup.blocks, {4, 1 << 20, 1 << 20});
}

TEST(BlockPool, ItsLimitsKeepTheDecodersAndTheHeldItemsInTheBudget) {
  const uint64_t MiB = 1 << 20;
  struct TCase {
    unsigned cores;
    uint32_t dictionary;
    int threads;
  } cases[] = {{2, 16 << 20, 2}, {8, 16 << 20, 3}, {8, 1 << 20, 8}, {1, 1 << 20, 1}, {4, 32 << 20, 1}, {0, 0, 1}};
  for (const TCase& c : cases) {
    const TPoolLimits limits = PoolLimitsFor(c.cores, c.dictionary, 64 * MiB);
    EXPECT_EQ(limits.threads, c.threads) << c.cores << " cores, dictionary " << c.dictionary;
    if (limits.threads > 1) {
      EXPECT_LE(uint64_t(limits.threads) * (c.dictionary + MiB) + limits.heldBytes, 64 * MiB);
    }
    EXPECT_GE(limits.heldBytes, 8 * MiB);
    EXPECT_EQ(limits.largestItem, limits.heldBytes / 2);
  }
  TPerFileSetup setup("pool-dictionary");
  auto file = TFileStream::Open(setup.path.string(), TFileStream::Mode::OpenRead);
  ASSERT_TRUE(file);
  const uint32_t dictionary = BlockDictionarySize(*file, setup.blocks[5].offset);
  EXPECT_GE(dictionary, 4096u);
  EXPECT_LE(dictionary, 32u << 20);
}
