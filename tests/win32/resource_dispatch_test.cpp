#include "startup/resource_dispatch.h"

#include <gtest/gtest.h>

#include "startup/temp_folder.h"
#include "win32_support.h"

namespace {

TMemoryStream Item(const TBytes& bytes) { return TMemoryStream(bytes); }

SIZE BitmapSize(const TBitmap& bitmap) {
  BITMAP info{};
  GetObject(bitmap.Handle(), sizeof info, &info);
  return {info.bmWidth, info.bmHeight};
}

class ResourceDispatch : public ::testing::Test {
protected:
  void SetUp() override { CreateTemporaryFolder(); }
  void TearDown() override {
    DeleteTemporaryFiles();
    Pictures() = TPictures();
  }
};

}  // namespace

TEST_F(ResourceDispatch, PicturesGoIntoMemoryAndTheLaterItemWins) {
  TMemoryStream header = Item(MakeBitmapFile(497, 60)), side = Item(MakeBitmapFile(164, 314));
  TMemoryStream destination = Item(MakeBitmapFile(48, 48)), shortcuts = Item(MakeBitmapFile(48, 48));
  DispatchResource(kHeaderPicture, header);
  DispatchResource(kSidePicture, side);
  DispatchResource(kDestinationPicture, destination);
  DispatchResource(kShortcutsPicture, shortcuts);
  EXPECT_EQ(BitmapSize(Pictures().header).cx, 497);
  EXPECT_EQ(BitmapSize(Pictures().header).cy, 60);
  EXPECT_EQ(BitmapSize(Pictures().side).cy, 314);
  EXPECT_TRUE(Pictures().destination);
  EXPECT_TRUE(Pictures().shortcuts);
  EXPECT_FALSE(FileExists(TemporaryFileName(kHeaderPicture))) << "pictures are not written to disk";

  TMemoryStream later = Item(MakeBitmapFile(20, 10));
  DispatchResource(kHeaderPicture, later);
  EXPECT_EQ(BitmapSize(Pictures().header).cx, 20);
}

TEST_F(ResourceDispatch, DamagedPictureBytesGiveNoPicture) {
  TBytes good = MakeBitmapFile(30, 30);
  TBytes truncated(good.begin(), good.end() - 100);
  TBytes notBitmap = good;
  notBitmap[0] = 'X';
  TBytes hugeWidth = good;
  int32_t width = 100000;
  memcpy(hugeWidth.data() + 18, &width, 4);
  for (const TBytes& bytes : {truncated, notBitmap, hugeWidth, TBytes{}}) {
    TMemoryStream item = Item(bytes);
    DispatchResource(kSidePicture, item);
    EXPECT_FALSE(Pictures().side);
  }
}

TEST_F(ResourceDispatch, OtherCodesBecomeNumberedTemporaryFiles) {
  TBytes licence = {'{', '\\', 'r', 't', 'f', '1', '}'};
  TMemoryStream first = Item(TBytes(5000, 'a')), second = Item(licence), background = Item(MakeBitmapFile(64, 48));
  second.Seek(3, TSeekOrigin::Start);  // the whole item is written, whatever its position
  DispatchResource(15, first);
  DispatchResource(15, second);
  DispatchResource(kBackgroundPicture, background);
  EXPECT_EQ(ReadWholeFile(TemporaryFileName(15)), licence) << "the later item replaces the earlier file";
  EXPECT_EQ(ReadWholeFile(TemporaryFileName(6)), background.Bytes());

  TMemoryStream empty;
  DispatchResource(16, empty);
  EXPECT_TRUE(FileExists(TemporaryFileName(16)));
  EXPECT_TRUE(ReadWholeFile(TemporaryFileName(16)).empty());
}

TEST(TemporaryFolder, NamesFilesInsideDollarInstAndRemovesWhatItWrote) {
  std::string folder = TemporaryFolder();
  ASSERT_GT(folder.size(), 7u);
  EXPECT_EQ(folder.substr(folder.size() - 7), "\\$inst\\");
  EXPECT_EQ(TemporaryFileName(15), folder + "15.tmp");

  ASSERT_TRUE(CreateTemporaryFolder());
  // Whatever the script's language count says: every file written goes.
  for (int t : {0, 6, 17, 20, 23, 50, 53, 99, 255}) ASSERT_TRUE(WriteTemporaryFile(t, "x", 1)) << t;
  DeleteTemporaryFiles();
  EXPECT_FALSE(FileExists(folder)) << "every file it writes is deleted and the folder with them";

  // A file the run did not write is left, and keeps the folder.
  ASSERT_TRUE(CreateTemporaryFolder());
  ASSERT_TRUE(WriteWholeFile(TemporaryFileName(24), TBytes{1}));
  DeleteTemporaryFiles();
  EXPECT_TRUE(FileExists(TemporaryFileName(24)));
  DeleteFileA(TemporaryFileName(24).c_str());
  DeleteTemporaryFiles();
  EXPECT_FALSE(FileExists(folder));
}
