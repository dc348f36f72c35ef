// The real setup.exe started as a person starts it, with archives made by the
// packer library, watched and answered through the UI driver.
#include <gtest/gtest.h>

#include "archive/archive_trailer.h"
#include "mksetup/script_builder.h"
#include "startup/corrupted_setup.h"
#include "startup/temp_folder.h"
#include "setup_runner.h"
#include "ui_driver.h"

namespace {

TArchiveInput SampleSetup(TScriptBuilder script = PermissiveScript(), bool keptResource = true) {
  script.SetField(65, "Velmora Test Setup");
  script.AddLanguage("English", "1033", "", "", {"Welcome"});
  std::vector<TResourceItem> resources = {{4, MakeBitmapFile(100, 20)}, {15, TBytes(3000, 'L')}};
  if (keptResource) resources.push_back({30, TBytes{'k', 'e', 'p', 't'}});
  return SetupWith(script, resources);
}

class Startup : public ::testing::Test {
protected:
  void SetUp() override { ClearTemporaryFolder(); }
  void TearDown() override {
    DeleteFileA(TemporaryFileName(30).c_str());
    ClearTemporaryFolder();
  }
};

// Answers the corrupted-setup box and returns the exit code.
void ExpectCorruptedSetupBox(const std::string& setup, const std::string& ownerTitle = "*") {
  auto process = ui::TProcess::Start(setup, "");
  ASSERT_TRUE(process);
  HWND box = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(box) << "no box appeared";
  EXPECT_EQ(ui::Text(box), "Error");
  EXPECT_EQ(ui::MessageBoxText(box), kCorruptedSetupText);
  HWND owner = GetWindow(box, GW_OWNER);
  EXPECT_EQ(ui::Text(owner), ownerTitle) << "owned by the application window";
  // Before the title is set nothing else is on screen; afterwards only the
  // application window (the task-bar button) is.
  std::vector<HWND> expected = {box};
  if (ownerTitle != "*") expected.push_back(owner);
  EXPECT_EQ(ui::TopLevelWindows(process->Id()), expected);
  HWND ok = GetDlgItem(box, IDOK);
  ASSERT_TRUE(ok);
  ui::Click(ok);
  EXPECT_EQ(process->WaitForExit(20000), 3);
  EXPECT_FALSE(FileExists(TemporaryFolder()));
}

}  // namespace

TEST_F(Startup, ASoundSetupWritesItsResourcesAndRemovesThemAtTheEnd) {
  std::string setup = WriteSetup(FreshFolder("sound"), BuildSetupImage(SampleSetup()).executable);
  // A log that cannot be written is not kept, and the run goes on.
  auto process = ui::TProcess::Start(setup, "/S /LOG=C:\\no-such-folder\\setup.log");
  ASSERT_TRUE(process);
  EXPECT_EQ(process->WaitForExit(30000), 0);
  // Resource 30 lies outside the numbers a language count would cover: the
  // clean-up removes what the run wrote, whatever its number.
  EXPECT_FALSE(FileExists(TemporaryFileName(30)));
  EXPECT_FALSE(FileExists(TemporaryFolder()));
}

TEST_F(Startup, DamagedSetupsShowTheCorruptedSetupBoxFirstAndExit3) {
  TBytes good = BuildSetupImage(SampleSetup(PermissiveScript(), false)).executable;
  TArchiveTrailer trailer;
  DecodeArchiveTrailer(good.data() + good.size() - kTrailerSize, trailer);

  TBytes noEndMark = good;
  noEndMark.back() = 0xF0;
  ExpectCorruptedSetupBox(WriteSetup(FreshFolder("no-end-mark"), noEndMark));

  TBytes damagedBlock0 = good;
  damagedBlock0[trailer.block0Offset + trailer.block0Length / 2] ^= 0x40;
  ExpectCorruptedSetupBox(WriteSetup(FreshFolder("damaged-block0"), damagedBlock0));

  TArchiveTrailer beyond = trailer;
  beyond.dataSize = good.size();
  TBytes tooLong = good;
  EncodeArchiveTrailer(beyond, tooLong.data() + tooLong.size() - kTrailerSize);
  ExpectCorruptedSetupBox(WriteSetup(FreshFolder("trailer-beyond"), tooLong));

  TScriptBuilder impossible = PermissiveScript();
  impossible.SetField(50, "100000");  // more registry records than the script has fields
  // The sections are read after the title is set: the box's owner has it.
  ExpectCorruptedSetupBox(WriteSetup(FreshFolder("bad-count"), BuildSetupImage(SampleSetup(impossible, false)).executable),
                          "Velmora Test Setup");
}

TEST_F(Startup, TestModeStartsTheBuilderOneFolderUpAndTouchesNothing) {
  std::string top = FreshFolder("test-mode");
  std::string inner = top + "inner\\";
  CreateDirectoryA(inner.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((ExecutableFolder() + "start_recorder.exe").c_str(), (top + "velmora.exe").c_str(), FALSE));
  DeleteFileA((top + "started.txt").c_str());
  // A bare stub without any archive: test mode must not even look for one.
  std::string setup = WriteSetup(inner, ReadWholeFile(ExecutableFolder() + "setup.exe"));

  auto process = ui::TProcess::Start(setup, "test", inner);
  ASSERT_TRUE(process);
  EXPECT_EQ(process->WaitForExit(20000), 0);
  for (int i = 0; i < 100 && !FileExists(top + "started.txt"); ++i) Sleep(100);
  EXPECT_TRUE(FileExists(top + "started.txt")) << "..\\velmora.exe was started";
  EXPECT_FALSE(FileExists(TemporaryFolder())) << "no temporary folder in test mode";

  // "TEST", or "test" as the second argument, is an ordinary argument.
  DeleteFileA((top + "started.txt").c_str());
  std::string real = WriteSetup(inner, BuildSetupImage(SampleSetup()).executable);
  for (const char* arguments : {"TEST", "/S test"}) {
    auto ordinary = ui::TProcess::Start(real, arguments, inner);
    ASSERT_TRUE(ordinary);
    EXPECT_EQ(ordinary->WaitForExit(20000), 0) << arguments;
  }
  Sleep(300);
  EXPECT_FALSE(FileExists(top + "started.txt"));
}

TEST(DllHardening, ADllBesideTheSetupIsNotLoadedByNameAfterHardening) {
  EXPECT_EQ(ui::TProcess::Start(ExecutableFolder() + "dll_search_probe.exe", "")->WaitForExit(20000), 0);
}
