// The real setup.exe installing products made by the packer library: run
// silently with /S /P=C:\Product, its boxes answered through the UI driver,
// and what it left on disk checked file by file.
#include <gtest/gtest.h>

#include "extraction_support.h"
#include "lang/folders.h"
#include "startup/corrupted_setup.h"
#include "startup/temp_folder.h"
#include "ui_driver.h"

namespace {

const char kSilent[] = "/S /P=C:\\Product";
const char kAppDataFolder[] = "@$&%26\\VelmoraExtraction";
const char kProgramDataFolder[] = "@$&%27\\VelmoraExtraction";

std::string StagingFile() { return TemporaryFolder() + "compfile.tmp"; }

class Extraction : public ::testing::Test {
protected:
  void SetUp() override { Clean(); }
  void TearDown() override {
    Clean();
    for (const std::string& folder : setupFolders_) RemoveTree(folder);
  }

  static void Clean() {
    DeleteFileA(StagingFile().c_str());
    ClearTemporaryFolder();
    RemoveTree(kProductFolder);
    RemoveTree(ExpandPathConstants(kAppDataFolder));
    RemoveTree(ExpandPathConstants(kProgramDataFolder));
  }

  // A fresh, empty folder for one setup, removed after the test.
  std::string SetupFolder(const std::string& name) {
    setupFolders_.push_back("C:\\velmora-tests\\" + name);
    RemoveTree(setupFolders_.back());
    return FreshFolder(name);
  }

private:
  std::vector<std::string> setupFolders_;
};

std::unique_ptr<ui::TProcess> StartSilently(const std::string& setup) {
  auto process = ui::TProcess::Start(setup, kSilent);
  EXPECT_TRUE(process) << setup;
  return process;
}

int RunSilently(const std::string& setup) {
  auto process = StartSilently(setup);
  return process ? process->WaitForExit(180000) : -1;
}

// Runs the setup, answers the corrupted-setup box and returns the exit code.
int RunAnsweringCorruptedSetup(const std::string& setup) {
  auto process = StartSilently(setup);
  if (!process) return -1;
  HWND box = ui::WaitForDialog(process->Id(), 60000);
  EXPECT_TRUE(box) << "no corrupted-setup box";
  if (!box) return -1;
  EXPECT_EQ(ui::MessageBoxText(box), kCorruptedSetupText);
  ui::Click(GetDlgItem(box, IDOK));
  return process->WaitForExit(30000);
}

// The box that follows `previous` once that one has closed.
HWND NextDialog(DWORD processId, HWND previous) {
  for (int i = 0; i < 200 && IsWindow(previous); ++i) Sleep(50);
  return ui::WaitForDialog(processId);
}

// The wizard of a silent run: there, but never shown.
HWND HiddenWizard(DWORD processId) {
  for (HWND window : ui::TopLevelWindows(processId, false))
    if (ui::ClassName(window) == "VelmoraSetupWizard") return window;
  return nullptr;
}

void ExpectNoTemporaryFiles() {
  EXPECT_FALSE(FileExists(StagingFile()));
  EXPECT_FALSE(FileExists(TemporaryFolder())) << "\"$inst\" is still there";
}

// An installation that ended early was undone: no file of the product is
// there, whatever was written before the end.
void ExpectNothingInstalled(const TProduct& product, const std::string& setupFolder) {
  for (const TProductFile& file : product.files)
    EXPECT_FALSE(FileExists(InstalledPath(file.target, setupFolder))) << file.target;
}

// About fifty files: nested folders, empty files, sizes around the
// chunk and piece boundaries, one file above 20 MiB, read-only and hidden
// files, targets under several path constants.
TProduct FiftyFiles() {
  TProduct product;
  static const char* const kFolders[] = {"", "a\\", "a\\b\\", "a\\b\\c\\d\\", "other\\x\\"};
  static const size_t kSizes[] = {0, 1, 4095, 4096, 4097, 8191, 8192, 8193, 12000, 65536, 70001, 0, 300000, 524289};
  for (int i = 0; i < 42; ++i)
    AddFile(product, "@$&%04\\" + std::string(kFolders[i % 5]) + "file" + std::to_string(i) + ".dat",
            MixedBytes(kSizes[i % 14] + size_t(i / 14) * 13, uint32_t(i + 1)));
  AddFile(product, "@$&%04\\payload\\large.bin", CountingLines(20 * 1024 * 1024 + 12345));
  AddFile(product, "@$&%04\\readonly.txt", TextBytes("read only"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  AddFile(product, "@$&%04\\hidden.ini", TextBytes("[hidden]"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  AddFile(product, "@$&%04\\empty folder\\nothing.txt", {});
  AddFile(product, std::string(kAppDataFolder) + "\\settings.dat", MixedBytes(3000, 77));
  AddFile(product, std::string(kProgramDataFolder) + "\\shared.dat", MixedBytes(5000, 78));
  AddFile(product, "@$&%18\\beside the setup.txt", TextBytes("beside"));
  AddFile(product, "@$&%04\\last.txt", TextBytes("the last file"));
  return product;
}

// Per-file mode, stored blocks.
TProduct SmallFiles(int count, size_t size) {
  TProduct product;
  product.solid = false;
  product.compressed = false;
  for (int i = 0; i < count; ++i)
    AddFile(product, "@$&%04\\part" + std::to_string(i) + ".bin", MixedBytes(size + size_t(i) * 100, uint32_t(i + 7)));
  return product;
}

}  // namespace

TEST_F(Extraction, FiftyFilesLandWholeWithTheirTimesAndAttributesInEveryLayout) {
  struct TLayout {
    const char* name;
    bool solid, compressed;
    int disks;
  };
  for (const TLayout& layout : {TLayout{"solid-lzma", true, true, 1}, TLayout{"per-file-stored", false, false, 3},
                                TLayout{"per-file-lzma", false, true, 3}}) {
    SCOPED_TRACE(layout.name);
    Clean();
    TProduct product = FiftyFiles();
    product.solid = layout.solid;
    product.compressed = layout.compressed;
    const std::string folder = SetupFolder(std::string("fifty-") + layout.name);
    ASSERT_EQ(RunSilently(WriteImage(folder, ImageOnDisks(product, layout.disks))), 0);
    for (const TProductFile& file : product.files) ExpectInstalled(file, InstalledPath(file.target, folder));
    ExpectNoTemporaryFiles();
  }
}

TEST_F(Extraction, ExistingFilesFollowTheirRuleAndAKeptFilesDataIsStillConsumed) {
  const int64_t kMillisecond = 10000;
  const int64_t kDay = 864000000000ll;
  // The records' time lies 0.4 ms into its millisecond.
  const uint64_t recordTime = kBaseFileTime / uint64_t(kMillisecond) * uint64_t(kMillisecond) + 4000;
  struct TCase {
    const char* name;
    int rule;
    int64_t existingOffset;  // the placed file's time relative to the record's
    bool written;
  };
  const TCase kCases[] = {
      {"keep.bin", 0, -kDay, false},
      {"overwrite.bin", 1, +kDay, true},
      {"older.bin", 2, -kMillisecond, true},
      {"same-millisecond.bin", 2, -4000, false},  // earlier in ticks, equal as calendar time
      {"newer.bin", 2, kMillisecond, false},
      {"unknown-rule.bin", 7, -kDay, false},
      {"newer-again.bin", 2, +kDay, false},
  };
  // Per-file blocks on disk files are read one after another; those all in
  // the setup are decoded by a pool of workers ahead of the writing.
  struct TMode {
    bool solid;
    int disks;
    const char* name;
  } modes[] = {{true, 1, "solid"}, {false, 3, "per-file"}, {false, 1, "per-file-pooled"}};
  for (const TMode& mode : modes) {
    const bool solid = mode.solid;
    SCOPED_TRACE(mode.name);
    Clean();
    CreateDirectoryA(kProductFolder, nullptr);
    TProduct product;
    product.solid = solid;
    for (const TCase& c : kCases) {
      TProductFile& file = AddFile(product, std::string("@$&%04\\") + c.name, MixedBytes(70000, uint32_t(c.rule + 3)));
      file.rule = c.rule;
      file.time = recordTime;
      PlaceFile(InstalledPath(file.target, ""), TextBytes(std::string("placed before: ") + c.name),
                recordTime + uint64_t(c.existingOffset));
    }
    // A folder where a file goes, and a file someone holds open without
    // sharing: neither can be written, and their data are consumed.
    AddFile(product, "@$&%04\\a folder", MixedBytes(9000, 41));
    const std::string folderTarget = InstalledPath(product.files.back().target, "");
    CreateDirectoryA(folderTarget.c_str(), nullptr);
    AddFile(product, "@$&%04\\held.bin", MixedBytes(9000, 42));
    const std::string held = InstalledPath(product.files.back().target, "");
    PlaceFile(held, TextBytes("held open"), kBaseFileTime);
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    // A path that comes twice: written, then kept, as the first one made it.
    AddFile(product, "@$&%04\\twice.bin", MixedBytes(30000, 44));
    AddFile(product, "@$&%04\\twice.bin", MixedBytes(30000, 45)).rule = 0;
    AddFile(product, "@$&%04\\absent.bin", MixedBytes(70000, 43));

    const std::string folder = SetupFolder(std::string("rules-") + mode.name);
    auto process = StartSilently(WriteImage(folder, ImageOnDisks(product, mode.disks)));
    // /S asks about the held file; Ignore goes on without it.
    HWND box = ui::WaitForDialog(process->Id(), 60000);
    ASSERT_TRUE(box);
    EXPECT_EQ(ui::Text(box), "File in use");
    ui::Click(GetDlgItem(box, IDIGNORE));
    EXPECT_EQ(process->WaitForExit(180000), 4) << "the folder in the way and the held file are items that failed";
    CloseHandle(holder);
    for (size_t i = 0; i < std::size(kCases); ++i) {
      const TProductFile& file = product.files[i];
      const std::string path = InstalledPath(file.target, folder);
      if (kCases[i].written) {
        ExpectInstalled(file, path);
      } else {
        EXPECT_EQ(ReadWholeFile(path), TextBytes(std::string("placed before: ") + kCases[i].name)) << path;
      }
    }
    EXPECT_NE(GetFileAttributesA(folderTarget.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(ReadWholeFile(held), TextBytes("held open"));
    ExpectInstalled(product.files[product.files.size() - 3], InstalledPath("@$&%04\\twice.bin", folder));
    ExpectInstalled(product.files.back(), InstalledPath(product.files.back().target, folder));
  }
}

// The prompt for a missing disk comes when the writing reaches the first
// block that needs it: every file before it is written, none after it,
// though the blocks of the disks before are decoded ahead on every core.
TEST_F(Extraction, AMissingOrUnreadableDiskIsAskedForUntilItCanBeRead) {
  const TProduct product = SmallFiles(12, 50000);
  const std::string folder = SetupFolder("disk-prompt-ok");
  const TSetupImage image = ImageOnDisks(product, 3);
  const std::string setup = WriteImage(folder, image);
  const std::string disk3 = DiskName(folder, 3), away = disk3 + ".away";
  ASSERT_TRUE(MoveFileA(disk3.c_str(), away.c_str()));
  const uint64_t beforeDisk3 = TrailerOf(image.executable).dataSize + image.disks[0].size();
  size_t wholeBeforeDisk3 = 0;
  uint64_t end = 0;
  for (uint64_t stored : StoredSizesOf(image.executable))
    if ((end += stored) <= beforeDisk3) ++wholeBeforeDisk3;
  ASSERT_GT(wholeBeforeDisk3, 0u);
  ASSERT_LT(wholeBeforeDisk3, product.files.size());

  auto process = StartSilently(setup);
  ASSERT_TRUE(process);
  HWND box = ui::WaitForDialog(process->Id(), 60000);
  ASSERT_TRUE(box) << "no prompt for disk 3";
  for (size_t i = 0; i < product.files.size(); ++i)
    EXPECT_EQ(FileExists(InstalledPath(product.files[i].target, folder)), i < wholeBeforeDisk3) << "file " << i;
  EXPECT_EQ(ui::Text(box), kExtractionCaption);
  EXPECT_EQ(ui::MessageBoxText(box), "M473") << "message 47 followed by the disk number";
  EXPECT_EQ(ui::ClassName(GetWindow(box, GW_OWNER)), "VelmoraSetupWizard");
  ui::Click(GetDlgItem(box, IDOK));

  box = NextDialog(process->Id(), box);  // still missing: the same question
  ASSERT_TRUE(box);
  EXPECT_EQ(ui::MessageBoxText(box), "M473");
  // Now there, but held open by someone who shares it with nobody.
  ASSERT_TRUE(MoveFileA(away.c_str(), disk3.c_str()));
  HANDLE holder = CreateFileA(disk3.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  ui::Click(GetDlgItem(box, IDOK));

  box = NextDialog(process->Id(), box);
  CloseHandle(holder);
  ASSERT_TRUE(box) << "a disk that cannot be opened is asked for like a missing one";
  EXPECT_EQ(ui::MessageBoxText(box), "M473");
  ui::Click(GetDlgItem(box, IDOK));

  EXPECT_EQ(process->WaitForExit(60000), 0);
  for (const TProductFile& file : product.files) ExpectInstalled(file, InstalledPath(file.target, folder));
  ExpectNoTemporaryFiles();
}

TEST_F(Extraction, CancellingTheDiskPromptEndsWithExitCode1AndNoTemporaryFiles) {
  const TProduct product = SmallFiles(12, 50000);
  const std::string folder = SetupFolder("disk-prompt-cancel");
  const TSetupImage image = ImageOnDisks(product, 3);
  const std::string setup = WriteImage(folder, image);
  ASSERT_TRUE(DeleteFileA(DiskName(folder, 3).c_str()));

  auto process = StartSilently(setup);
  ASSERT_TRUE(process);
  HWND box = ui::WaitForDialog(process->Id(), 60000);
  ASSERT_TRUE(box);
  EXPECT_EQ(ui::MessageBoxText(box), "M473");
  ui::Click(GetDlgItem(box, IDCANCEL));
  box = NextDialog(process->Id(), box);
  ASSERT_TRUE(box) << "no installation-aborted box";
  EXPECT_EQ(ui::Text(box), kExtractionCaption);
  EXPECT_EQ(ui::MessageBoxText(box), "M59");
  ui::Click(GetDlgItem(box, IDOK));

  EXPECT_EQ(process->WaitForExit(30000), 1);
  ExpectNoTemporaryFiles();
  ExpectNothingInstalled(product, folder);  // the files of disks 1 and 2 were undone
}

TEST_F(Extraction, ADamagedChunkEndsWithTheCorruptedSetupErrorAndLeavesNoPartialFile) {
  for (bool solid : {true, false}) {
    SCOPED_TRACE(solid ? "solid" : "per-file");
    Clean();
    TProduct product;
    product.solid = solid;
    product.compressed = false;  // stored: the damage can be placed in a known file
    AddFile(product, "@$&%04\\first.txt", MixedBytes(5000, 1));
    AddFile(product, "@$&%04\\damaged.bin", MixedBytes(300000, 2));
    AddFile(product, "@$&%04\\after.txt", MixedBytes(1000, 3));
    TSetupImage image = ImageOnDisks(product, 1);
    const TArchiveTrailer trailer = TrailerOf(image.executable);
    // Half-way through the second file's bytes.
    const uint64_t at = solid ? trailer.dataOffset + StoredBlockOffset(4 + 5000 + 4 + 150000)
                              : trailer.dataOffset + StoredSizesOf(image.executable)[0] + StoredBlockOffset(4 + 150000);
    image.executable[at] ^= 0x10;

    const std::string folder = SetupFolder(solid ? "damaged-solid" : "damaged-per-file");
    EXPECT_EQ(RunAnsweringCorruptedSetup(WriteImage(folder, image)), 3);
    EXPECT_FALSE(FileExists(kProductFolder)) << "the damage is found before anything is written";
    ExpectNoTemporaryFiles();
  }
}

TEST_F(Extraction, ATruncatedDiskFileIsACorruptedSetup) {
  const TProduct product = SmallFiles(12, 50000);
  const TSetupImage image = ImageOnDisks(product, 3);
  const std::string folder = SetupFolder("truncated-disk");
  const std::string setup = WriteImage(folder, image);
  TBytes shorter = image.disks[0];
  shorter.resize(shorter.size() - 100);
  WriteWholeFile(DiskName(folder, 2), shorter);
  // Disk 3's first bytes now stand where disk 2's last ones were.
  EXPECT_EQ(RunAnsweringCorruptedSetup(setup), 3);
  ExpectNothingInstalled(product, folder);
  ExpectNoTemporaryFiles();
}

TEST_F(Extraction, ADiskNameWithoutTheNumberServesEveryDiskAndAnEmptyOneIsACorruptedSetup) {
  TProduct product = SmallFiles(8, 50000);
  product.diskTemplate = "data.pak";
  const TSetupImage image = ImageOnDisks(product, 2);
  const std::string folder = SetupFolder("unnumbered-disk");
  const std::string setup = WriteSetup(folder, image.executable);
  WriteWholeFile(folder + "data.pak", image.disks[0]);
  EXPECT_EQ(RunSilently(setup), 0);
  for (const TProductFile& file : product.files) ExpectInstalled(file, InstalledPath(file.target, folder));

  // Empty, it would be disk 2, 3, 4, ... for ever.
  Clean();
  WriteWholeFile(folder + "data.pak", {});
  EXPECT_EQ(RunAnsweringCorruptedSetup(setup), 3);
  ExpectNothingInstalled(product, folder);
  ExpectNoTemporaryFiles();
}

TEST_F(Extraction, AStoredSizeListThatDoesNotMatchTheFileRecordsStopsBeforeAnyFileIsWritten) {
  for (int extra : {+1, -1}) {
    SCOPED_TRACE(extra > 0 ? "one block more than records" : "one block fewer");
    Clean();
    const TProduct product = SmallFiles(3, 20000);
    TArchiveInput input = ExtractionInput(product);
    if (extra > 0) input.files.push_back(MixedBytes(100, 9));
    else input.files.pop_back();
    const std::string folder = SetupFolder(extra > 0 ? "k-above" : "k-below");
    EXPECT_EQ(RunAnsweringCorruptedSetup(WriteImage(folder, BuildSetupImage(input))), 3);
    EXPECT_FALSE(FileExists(kProductFolder)) << "not even a folder was made";
    ExpectNoTemporaryFiles();
  }
}

// Needs a small drive F:; scripts/full-disk-test mounts one and runs this.
TEST_F(Extraction, FullDiskAFileThatDoesNotFitIsRemovedOrKeepsItsOldVersionAndTheFilesAfterItAreWritten) {
  if (GetFileAttributesA("F:\\") == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "no drive F:; scripts/full-disk-test runs this test with F: on a 4 MiB tmpfs";
  const std::string target = "F:\\Velmora";
  for (bool solid : {true, false}) {
    SCOPED_TRACE(solid ? "solid" : "per-file");
    RemoveTree(target);
    TProduct product;
    product.solid = solid;
    AddFile(product, target + "\\before.bin", MixedBytes(100000, 1));
    AddFile(product, target + "\\too-large.bin", CountingLines(6 * 1024 * 1024));
    AddFile(product, target + "\\after.bin", MixedBytes(500000, 2));
    AddFile(product, target + "\\last.txt", TextBytes("last"));
    const std::string folder = SetupFolder(solid ? "full-disk-solid" : "full-disk-per-file");
    const std::string setup = WriteImage(folder, ImageOnDisks(product, 1));
    EXPECT_EQ(RunSilently(setup), 4) << "installed with errors";
    EXPECT_FALSE(FileExists(target + "\\too-large.bin")) << "left behind truncated";
    for (size_t i : {0, 2, 3}) ExpectInstalled(product.files[i], product.files[i].target);
    ExpectNoTemporaryFiles();

    // An older version of the file that does not fit stays as it was, and no
    // temporary file is left beside it.
    RemoveTree(target);
    CreateDirectoryA(target.c_str(), nullptr);
    const TBytes old = CountingLines(1024 * 1024);
    PlaceFile(target + "\\too-large.bin", old, kBaseFileTime);
    EXPECT_EQ(RunSilently(setup), 4);
    EXPECT_TRUE(ReadWholeFile(target + "\\too-large.bin") == old) << "the old version was damaged";
    for (size_t i : {0, 2, 3}) ExpectInstalled(product.files[i], product.files[i].target);
    int entries = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((target + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
      entries += found.cFileName[0] != '.';
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    EXPECT_EQ(entries, 4) << "a temporary file was left on the full drive";
  }
  RemoveTree(target);
}

TEST_F(Extraction, ACloseRequestDuringALargeFileEndsAtTheNextRecordWithExitCode1) {
  for (bool solid : {true, false}) {
    SCOPED_TRACE(solid ? "solid" : "per-file");
    Clean();
    TProduct product;
    product.solid = solid;
    product.compressed = false;  // per-file: the large block is gathered in many pieces, pumping between them
    AddFile(product, "@$&%04\\first.txt", TextBytes("first"));
    AddFile(product, "@$&%04\\large.bin", CountingLines(24 * 1024 * 1024));
    for (int i = 0; i < 20; ++i) AddFile(product, "@$&%04\\later" + std::to_string(i) + ".bin", MixedBytes(262144, i));
    const std::string folder = SetupFolder(solid ? "close-solid" : "close-per-file");
    auto process = StartSilently(WriteImage(folder, ImageOnDisks(product, 1)));
    ASSERT_TRUE(process);
    const std::string first = InstalledPath(product.files[0].target, folder);
    for (int i = 0; i < 3000 && !FileExists(first) && process->Running(); ++i) Sleep(10);
    HWND wizard = HiddenWizard(process->Id());
    ASSERT_TRUE(wizard) << "no wizard window";
    PostMessageA(wizard, WM_CLOSE, 0, 0);

    EXPECT_EQ(process->WaitForExit(60000), 1);
    EXPECT_FALSE(FileExists(InstalledPath(product.files.back().target, folder))) << "the close came too late";
    for (const TProductFile& file : product.files) {
      const std::string path = InstalledPath(file.target, folder);
      if (FileExists(path)) {
        EXPECT_TRUE(ReadWholeFile(path) == file.bytes) << "partial file " << path;
      }
    }
    ExpectNoTemporaryFiles();
  }
}
