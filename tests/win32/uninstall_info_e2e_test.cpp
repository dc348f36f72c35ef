// What a real setup.exe leaves for the uninstaller: the log and the trailer.
#include <gtest/gtest.h>

#include "setup_runner.h"
#include "startup/temp_folder.h"
#include "toolkit/bitmap.h"
#include "ui_driver.h"

namespace {

const std::string kTarget = "C:\\velmora-tests\\uninstall-info";
const TBytes kStub = {'U', 'N', 'I', 'N', 'S', 'T', 'A', 'L', 'L', 'E', 'R'};

struct TRun {
  TBytes uninstaller, log;
};

TRun Install(const char* name, const char* writeInfo, const char* trailer, bool picture) {
  TScriptBuilder script = PermissiveScript();
  script.SetField(34, "1");
  script.SetField(58, kTarget);
  script.SetField(56, writeInfo);
  script.SetField(49, trailer);
  script.SetField(91, "@$&%04\\uninstall.exe");
  script.SetField(92, "@$&%04\\logs\\uninstall.ini");
  script.AddLanguage("English", "1033", "", "", MessagesOf("English"));
  const char* time = "133000000000000000";
  script.AddRecord(kSectionFiles, {"@$&%04\\uninstall.exe", "1", time, "1", "32"});
  script.AddRecord(kSectionFiles, {"@$&%04\\a.txt", "1", time, "1", "32"});
  script.AddRecord(kSectionFiles, {"@$&%04\\b.txt", "1", time, "0", "32"});
  script.AddRecord(kSectionFiles, {"@$&%04\\sub\\c.txt", "1", time, "1", "32"});
  std::vector<TResourceItem> resources;
  if (picture) resources.push_back({4, MakeBitmapFile(60, 20)});
  TArchiveInput input = SetupWith(script, resources);
  input.files = {kStub, TBytes(10, 'a'), TBytes(10, 'b'), TBytes(10, 'c')};
  auto process = ui::TProcess::Start(WriteSetup(FreshFolder(name), BuildSetupImage(input).executable), "/S");
  EXPECT_EQ(process->WaitForExit(30000), 0);
  TRun run{ReadWholeFile(kTarget + "\\uninstall.exe"), ReadWholeFile(kTarget + "\\logs\\uninstall.ini")};
  for (const char* file : {"uninstall.exe", "a.txt", "b.txt", "sub\\c.txt", "logs\\uninstall.ini"})
    DeleteFileA((kTarget + "\\" + file).c_str());
  for (const char* folder : {"sub", "logs", ""}) RemoveDirectoryA((kTarget + "\\" + folder).c_str());
  return run;
}

uint32_t Le(const TBytes& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + size_t(i)];
  return v;
}

}  // namespace

TEST(UninstallInfo, TheLogListsTheWrittenFilesAndTheTrailerCarriesThePicture) {
  TRun run = Install("info-trailer", "1", "1", true);
  std::string log(run.log.begin(), run.log.end());
  EXPECT_EQ(log.substr(0, log.find("[e]")),
            "[f]\r\n1=" + kTarget + "\\uninstall.exe\r\n2=" + kTarget + "\\a.txt\r\n3=" + kTarget + "\\sub\\c.txt\r\n")
      << "only the files whose record asks for it, in order";
  EXPECT_NE(log.find("18=" + kTarget + "\\\r\n"), std::string::npos) << "the installation folder";

  // Read the trailer from the end, as the uninstaller does.
  const TBytes& u = run.uninstaller;
  ASSERT_GT(u.size(), kStub.size() + 6);
  const size_t l = Le(u, u.size() - 2, 2);
  const std::string path(u.end() - 2 - long(l), u.end() - 2);
  EXPECT_EQ(path, kTarget + "\\logs\\uninstall.ini");
  const size_t n = Le(u, u.size() - 2 - l - 4, 4);
  const TBytes bmp(u.end() - long(2 + l + 4 + n), u.end() - long(2 + l + 4));
  EXPECT_EQ(bmp, MakeBitmapFile(60, 20));
  EXPECT_TRUE(LoadBitmapFromBytes(bmp.data(), bmp.size())) << "a complete bitmap file";
  EXPECT_EQ(TBytes(u.begin(), u.begin() + long(kStub.size())), kStub);
  EXPECT_EQ(u.size(), kStub.size() + n + 4 + l + 2) << "appended to the uninstaller as installed";
}

TEST(UninstallInfo, WithoutAPictureTheTrailerHoldsNone) {
  TRun run = Install("info-no-picture", "1", "1", false);
  const TBytes& u = run.uninstaller;
  const size_t l = Le(u, u.size() - 2, 2);
  EXPECT_EQ(Le(u, u.size() - 2 - l - 4, 4), 0u);
  EXPECT_EQ(u.size(), kStub.size() + 4 + l + 2);
}

TEST(UninstallInfo, Field49LeavesTheUninstallerAloneAndField56WritesNothing) {
  TRun noTrailer = Install("info-no-trailer", "1", "0", true);
  EXPECT_EQ(noTrailer.uninstaller, kStub);
  EXPECT_FALSE(noTrailer.log.empty());
  TRun nothing = Install("info-nothing", "0", "1", true);
  EXPECT_EQ(nothing.uninstaller, kStub);
  EXPECT_TRUE(nothing.log.empty());
  EXPECT_FALSE(FileExists(TemporaryFolder()));
}
