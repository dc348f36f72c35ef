#include "engine/disk_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own holding a "setup" (a stub, the first share of the data
// area, then a tail standing in for the lists and trailer) and disk files.
class DiskSource : public ::testing::Test {
protected:
  static constexpr uint64_t kStub = 100;

  void SetUp() override {
    folder_ = fs::temp_directory_path() / "velmora_disk_source_test";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    area_ = MixedBytes(30000, 5);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  void Write(const std::string& name, const TBytes& bytes) const {
    std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
  }

  TBytes Area(size_t from, size_t to) const { return TBytes(area_.begin() + long(from), area_.begin() + long(to)); }

  // The setup holds area bytes [0, share); disk 2 [share, split); disk 3 the rest.
  void WriteDisks(size_t share, size_t split, const std::string& disk2 = "disk2.pak") {
    Write("setup.exe", Concat({TBytes(kStub, 'M'), Area(0, share), TBytes(50, 'T')}));
    Write(disk2, Area(share, split));
    Write("disk3.pak", Area(split, area_.size()));
  }

  static TBytes Copied(TDiskSource& source, uint32_t n, TSourceResult expected = TSourceResult::Ok) {
    TMemoryStream out;
    bool written = false;
    EXPECT_EQ(source.Copy(n, out, written), expected);
    EXPECT_TRUE(written || expected != TSourceResult::Ok);
    return out.Bytes();
  }

  fs::path folder_;
  TBytes area_;
};

const TDiskPrompt kNoPrompt = [](int disk) {
  ADD_FAILURE() << "asked for disk " << disk;
  return false;
};

}  // namespace

TEST_F(DiskSource, ReadsTheAreaAcrossTheSetupAndItsDiskFilesWhetherCopyingOrSkipping) {
  WriteDisks(10000, 22000);
  TDiskSource source(Path("setup.exe"), kStub, 10000, "disk@$&%19.pak", kNoPrompt);
  ASSERT_TRUE(source.Open());
  EXPECT_TRUE(Copied(source, 5000) == Area(0, 5000));
  EXPECT_EQ(source.Skip(9000), TSourceResult::Ok);  // into disk 2
  EXPECT_TRUE(Copied(source, 12000) == Area(14000, 26000)) << "the setup's tail is never part of the area";
  EXPECT_EQ(source.Disk(), 3);
  EXPECT_TRUE(Copied(source, 4000) == Area(26000, 30000));
}

TEST_F(DiskSource, AsksForAMissingDiskUntilItIsThereOrTheAnswerIsNo) {
  WriteDisks(10000, 22000, "elsewhere.pak");
  std::vector<int> asked;
  {
    TDiskSource patient(Path("setup.exe"), kStub, 10000, "disk@$&%19.pak", [&](int disk) {
      asked.push_back(disk);
      if (asked.size() == 2) fs::rename(Path("elsewhere.pak"), Path("disk2.pak"));
      return true;
    });
    ASSERT_TRUE(patient.Open());
    EXPECT_TRUE(Copied(patient, 15000) == Area(0, 15000));
    EXPECT_EQ(asked, (std::vector<int>{2, 2}));
  }

  fs::remove(Path("disk2.pak"));
  asked.clear();
  TDiskSource refused(Path("setup.exe"), kStub, 10000, "disk@$&%19.pak", [&](int disk) {
    asked.push_back(disk);
    return false;
  });
  ASSERT_TRUE(refused.Open());
  Copied(refused, 15000, TSourceResult::Cancelled);
  EXPECT_EQ(asked, (std::vector<int>{2}));
}

TEST_F(DiskSource, ADiskThatHoldsNothingOrLessThanItClaimsIsDamageNotAnEndlessLoop) {
  // Without the number in the name every disk is this one empty file.
  Write("setup.exe", Concat({TBytes(kStub, 'M'), Area(0, 10000)}));
  Write("data.pak", {});
  TDiskSource empty(Path("setup.exe"), kStub, 10000, "data.pak", kNoPrompt);
  ASSERT_TRUE(empty.Open());
  Copied(empty, 15000, TSourceResult::Damaged);
  TDiskSource emptySkipped(Path("setup.exe"), kStub, 10000, "data.pak", kNoPrompt);
  ASSERT_TRUE(emptySkipped.Open());
  EXPECT_EQ(emptySkipped.Skip(15000), TSourceResult::Damaged);

  // The setup's share said to run 5,000 bytes further than the file does.
  TDiskSource overstated(Path("setup.exe"), kStub, 15000, "data.pak", kNoPrompt);
  ASSERT_TRUE(overstated.Open());
  Copied(overstated, 12000, TSourceResult::Damaged);
}

TEST_F(DiskSource, AFailedWriteStillPassesOverTheWholeBlock) {
  WriteDisks(10000, 22000);
  TDiskSource source(Path("setup.exe"), kStub, 10000, "disk@$&%19.pak", kNoPrompt);
  ASSERT_TRUE(source.Open());
  TFullStream full(3000);
  bool written = true;
  EXPECT_EQ(source.Copy(12000, full, written), TSourceResult::Ok);
  EXPECT_FALSE(written);
  EXPECT_TRUE(Copied(source, 1000) == Area(12000, 13000)) << "the next block starts where it should";
}
