// File extraction called in this process on a setup made by the packer
// library, to look at the run state it leaves: the uninstall file list, the
// progress bar, the status line, and the staging file.
#include <gtest/gtest.h>

#include <random>

#include "archive/setup_archive.h"
#include "engine/file_data_check.h"
#include "engine/file_extraction.h"
#include "toolkit/run_log.h"
#include "engine/progress.h"
#include "engine/uninstall_list.h"
#include "extraction_support.h"
#include "lang/path_constants.h"
#include "startup/command_line.h"
#include "startup/temp_folder.h"
#include "toolkit/file_stream.h"

namespace {

const char kTargetFolder[] = "C:\\velmora-tests\\in-process-target";

class ExtractionInProcess : public ::testing::Test {
protected:
  void SetUp() override {
    savedScript_ = Script();
    savedInstallFolder_ = PathState().installationFolder;
    RemoveTree(kTargetFolder);
    CreateTemporaryFolder();
  }
  void TearDown() override {
    Script() = savedScript_;
    PathState().installationFolder = savedInstallFolder_;
    UninstallFileList().clear();
    RemoveTree(kTargetFolder);
    RemoveTree("C:\\velmora-tests\\in-process");
    DeleteTemporaryFiles();
  }

  // Reads the setup's archive and script as the start-up does.
  static void Load(const std::string& setup, TSetupArchive& archive) {
    auto file = TFileStream::Open(setup, TFileStream::Mode::OpenRead);
    ASSERT_TRUE(file);
    ASSERT_TRUE(ReadSetupArchive(*file, archive, nullptr));
    Script() = TSetupScript();
    ASSERT_TRUE(ParseScriptHeader(archive.script));
    ASSERT_TRUE(ParseScriptSections(archive.script));
  }

private:
  TSetupScript savedScript_;
  std::string savedInstallFolder_;
};

}  // namespace

TEST_F(ExtractionInProcess, TheUninstallListHoldsExactlyTheWrittenFilesWithFlag1InOrder) {
  for (bool solid : {true, false}) {
    SCOPED_TRACE(solid ? "solid" : "per-file");
    RemoveTree(kTargetFolder);
    TProduct product;
    product.solid = solid;
    product.uninstallInformation = true;
    AddFile(product, "@$&%04\\bin\\a.exe", MixedBytes(20000, 1));
    AddFile(product, "@$&%04\\b.txt", MixedBytes(300, 2)).listed = 0;
    TProductFile& kept = AddFile(product, "@$&%04\\kept.cfg", MixedBytes(5000, 3));
    kept.rule = 0;  // placed below: kept, so not listed though flag 1
    AddFile(product, "@$&%04\\d.txt", MixedBytes(300, 4)).listed = 2;  // only 1 lists
    AddFile(product, "@$&%04\\e\\f\\e.dll", MixedBytes(70000, 5));
    AddFile(product, "@$&%04\\empty.txt", {});
    // Cannot be replaced: held open below. Still the product's file.
    AddFile(product, "@$&%04\\held.dll", MixedBytes(900, 6), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    AddFile(product, "@$&%04\\a folder", MixedBytes(900, 7));  // a folder is there: nothing to list

    const std::string setup = WriteImage(FreshFolder("in-process"), ImageOnDisks(product, solid ? 1 : 2));
    TSetupArchive archive;
    Load(setup, archive);
    CreateDirectoryA(kTargetFolder, nullptr);
    const std::string root = std::string(kTargetFolder) + "\\";
    PlaceFile(root + "kept.cfg", TextBytes("mine"), kBaseFileTime);
    PlaceFile(root + "held.dll", TextBytes("in use"), kBaseFileTime);
    CreateDirectoryA((root + "a folder").c_str(), nullptr);
    HANDLE holder = CreateFileA((root + "held.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    PathState().installationFolder = kTargetFolder;
    SetProgressRange(100);
    UninstallFileList() = {"an earlier entry"};

    const int failuresBefore = FailureCount();
    TFileExtraction extraction(setup, archive);
    TDataAreaCheck check = CheckFileDataInSetup(setup, archive);
    const int pendingBefore = RestartPendingCount();
    RunFlags().quiet = true;  // the held file waits for the next restart, with no box to answer
    extraction.Run(check);
    RunFlags().quiet = false;
    CloseHandle(holder);
    EXPECT_EQ(FailureCount() - failuresBefore, 1) << "the folder in the way";
    EXPECT_EQ(RestartPendingCount() - pendingBefore, 1) << "held.dll";

    // The held file's new bytes wait beside it, and are listed after it.
    std::vector<std::string> expected = {"an earlier entry", root + "bin\\a.exe", root + "e\\f\\e.dll",
                                         root + "empty.txt", root + "held.dll"};
    ASSERT_EQ(UninstallFileList().size(), expected.size() + 1);
    const std::string waiting = UninstallFileList().back();
    EXPECT_EQ(waiting.rfind(root, 0), 0u) << waiting;
    EXPECT_TRUE(ReadWholeFile(waiting) == product.files[6].bytes) << waiting;
    EXPECT_EQ(GetFileAttributesA(waiting.c_str()), DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    SetFileAttributesA(waiting.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(waiting.c_str());  // no restart follows in the test
    expected.push_back(waiting);
    EXPECT_EQ(UninstallFileList(), expected);
    for (size_t i : {0, 1, 3, 4, 5}) ExpectInstalled(product.files[i], root + product.files[i].target.substr(7));
    EXPECT_EQ(ReadWholeFile(root + "kept.cfg"), TextBytes("mine"));
    EXPECT_EQ(ReadWholeFile(root + "held.dll"), TextBytes("in use"));
    EXPECT_EQ(GetFileAttributesA((root + "held.dll").c_str()) & FILE_ATTRIBUTE_READONLY, 0u)
        << "a read-only old file would not be replaced at the restart";
    // A kept file advances the bar in per-file mode only.
    EXPECT_EQ(ProgressPosition(), solid ? 7 : 8);
    EXPECT_EQ(StatusText(), "M35a folder") << "message 35 and the file name of the last file written";
    EXPECT_FALSE(FileExists(TemporaryFolder() + "compfile.tmp"));
  }
}

// Per-file blocks are decoded without the staging file wherever they lie:
// straight from the setup executable, or gathered from a disk file into
// memory. Only a block of more than 4 MiB on a disk file goes through it:
// with its name taken (by a folder), that file alone fails, counted.
TEST_F(ExtractionInProcess, OnlyALargeBlockOnADiskFileNeedsTheStagingFile) {
  TProduct product;
  product.solid = false;
  for (int i = 0; i < 6; ++i)
    AddFile(product, "@$&%04\\file" + std::to_string(i) + ".bin", MixedBytes(200000, uint32_t(i + 11)));
  TBytes noise(4600000);
  std::mt19937 random(5);
  for (uint8_t& byte : noise) byte = uint8_t(random());
  AddFile(product, "@$&%04\\large.bin", noise);
  for (int disks : {1, 2}) {
    SCOPED_TRACE(disks);
    RemoveTree(kTargetFolder);
    const std::string setup = WriteImage(FreshFolder("in-process"), ImageOnDisks(product, disks));
    TSetupArchive archive;
    Load(setup, archive);
    CreateDirectoryA(kTargetFolder, nullptr);
    PathState().installationFolder = kTargetFolder;
    SetProgressRange(100);
    const std::string staging = TemporaryFolder() + "compfile.tmp";
    ASSERT_TRUE(CreateDirectoryA(staging.c_str(), nullptr));
    const int failuresBefore = FailureCount();
    {
      TFileExtraction extraction(setup, archive);
      TDataAreaCheck check = CheckFileDataInSetup(setup, archive);
      extraction.Run(check);
    }
    RemoveDirectoryA(staging.c_str());
    for (size_t i = 0; i < product.files.size(); ++i) {
      const std::string target = std::string(kTargetFolder) + "\\" + product.files[i].target.substr(7);
      if (disks == 2 && i == 6) {
        EXPECT_FALSE(FileExists(target)) << "the large block on disk 2 needs the staging file";
      } else {
        ExpectInstalled(product.files[i], target);
      }
    }
    EXPECT_EQ(FailureCount() - failuresBefore, disks == 1 ? 0 : 1);
  }
}

TEST(ExtractionStagingFile, IsMadeOnlyWhereNoneIsAndSharedWithNobodyWhileOpen) {
  CreateTemporaryFolder();
  const std::string path = TemporaryFolder() + "compfile.tmp";
  DeleteFileA(path.c_str());
  {
    auto staging = TFileStream::Open(path, TFileStream::Mode::CreateNew);
    ASSERT_TRUE(staging);
    EXPECT_FALSE(TFileStream::Open(path, TFileStream::Mode::OpenRead)) << "shared with a reader";
    EXPECT_FALSE(TFileStream::Open(path, TFileStream::Mode::CreateNew));
    const TBytes bytes = MixedBytes(10000);
    EXPECT_EQ(staging->Write(bytes.data(), int32_t(bytes.size())), int32_t(bytes.size()));
    EXPECT_EQ(staging->Seek(0, TSeekOrigin::Start), 0);
    TBytes back(bytes.size());
    EXPECT_EQ(staging->Read(back.data(), int32_t(back.size())), int32_t(back.size()));
    EXPECT_TRUE(back == bytes) << "read back through the same handle";
  }
  EXPECT_FALSE(TFileStream::Open(path, TFileStream::Mode::CreateNew)) << "an existing file is never taken over";
  DeleteFileA(path.c_str());
  DeleteTemporaryFiles();
}
