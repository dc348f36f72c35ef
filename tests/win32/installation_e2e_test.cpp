// The installation driver of the real setup.exe: the header check, the
// folder step, the wizard's Progress page and close requests while it runs.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "setup_runner.h"
#include "startup/corrupted_setup.h"
#include "startup/temp_folder.h"
#include "ui_driver.h"

namespace {

const char kTarget[] = "C:\\velmora-tests\\installed";

TScriptBuilder InstallScript() {
  TScriptBuilder script = PermissiveScript();
  script.SetField(65, "Velmora Install Test");
  script.SetField(34, "1");
  script.SetField(58, kTarget);
  script.SetField(48, "40");
  script.AddLanguage("English", "1033", "", "", MessagesOf("English"));
  return script;
}

void AddFile(TScriptBuilder& script, TArchiveInput& input, const std::string& target, TBytes content) {
  script.AddRecord(kSectionFiles, {target, "1", "133000000000000000", "0", "32"});
  input.files.push_back(std::move(content));
}

std::string Build(const std::string& name, TScriptBuilder script, std::vector<TBytes> files) {
  TArchiveInput input = SetupWith(script);
  input.fileBlocks.lzma.preset = 0;  // quick to pack; as slow to unpack as any
  int i = 0;
  for (TBytes& content : files) AddFile(script, input, "@$&%04\\file" + std::to_string(i++) + ".dat", std::move(content));
  input.script = script.Serialize();
  return WriteSetup(FreshFolder(name), BuildSetupImage(input).executable);
}

// Incompressible bytes: slow enough to decompress that a test can act
// while the installation runs.
TBytes Noise(size_t size, uint32_t seed) {
  TBytes out(size);
  uint32_t x = seed;
  for (uint8_t& b : out) b = uint8_t((x = x * 1664525u + 1013904223u) >> 24);
  return out;
}

void RemoveTarget() {
  for (int i = 0; i < 8; ++i) DeleteFileA((std::string(kTarget) + "\\file" + std::to_string(i) + ".dat").c_str());
  RemoveDirectoryA(kTarget);
}

class Installation : public ::testing::Test {
protected:
  void SetUp() override { RemoveTarget(); }
  void TearDown() override {
    RemoveTarget();
    ClearTemporaryFolder();
  }
};

}  // namespace

TEST_F(Installation, AHeaderCheckMismatchIsACorruptedSetupBeforeAnythingIsWritten) {
  TScriptBuilder script = InstallScript();
  script.SetField(35, "00000000");
  auto process = ui::TProcess::Start(Build("header-check", script, {TBytes(100, 'x')}), "/S");
  HWND box = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(ui::MessageBoxText(box), kCorruptedSetupText);
  ui::Click(GetDlgItem(box, IDOK));
  EXPECT_EQ(process->WaitForExit(20000), 3);
  EXPECT_FALSE(FileExists(std::string(kTarget) + "\\file0.dat"));
  EXPECT_FALSE(FileExists(TemporaryFolder()));
}

TEST_F(Installation, FolderRecordsAreCreatedWithTheirParents) {
  TScriptBuilder script = InstallScript();
  script.AddRecord(kSectionFolders, {"@$&%04\\logs\\deep\\deeper", "1"});
  script.AddRecord(kSectionFolders, {"@$&%04", "0"});  // exists already: only a progress step
  script.AddRecord(kSectionFolders, {"@$&%26\\Velmora Folder Test", "0"});
  auto process = ui::TProcess::Start(Build("folders", script, {TBytes(10, 'a')}), "/S");
  EXPECT_EQ(process->WaitForExit(30000), 0);
  EXPECT_TRUE(GetFileAttributesA((std::string(kTarget) + "\\logs\\deep\\deeper").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  char appData[MAX_PATH];
  GetEnvironmentVariableA("APPDATA", appData, MAX_PATH);
  std::string created = std::string(appData) + "\\Velmora Folder Test";
  EXPECT_TRUE(FileExists(created));
  RemoveDirectoryA(created.c_str());
  RemoveDirectoryA((std::string(kTarget) + "\\logs\\deep\\deeper").c_str());
  RemoveDirectoryA((std::string(kTarget) + "\\logs\\deep").c_str());
  RemoveDirectoryA((std::string(kTarget) + "\\logs").c_str());
}

TEST_F(Installation, TheProgressPageShowsWhileTheQuitQuestionWaits) {
  // Without the pages before it, the wizard starts on the Progress page.
  std::vector<TBytes> files;
  for (uint32_t i = 0; i < 6; ++i) files.push_back(Noise(6 << 20, i + 1));
  std::string setup = Build("progress-page", InstallScript(), files);

  for (int answer : {IDNO, IDYES}) {
    RemoveTarget();
    auto process = ui::TProcess::Start(setup, "");
    HWND wizard = ui::WaitForWindow(process->Id(), [](HWND w) { return ui::ClassName(w) == "VelmoraSetupWizard"; });
    ASSERT_TRUE(wizard);
    // Ask to close once the files are being written (message 35 and a name
    // on the status line), so that the question comes in the middle of them.
    HWND bar = nullptr;
    for (int i = 0; i < 1000 && !(bar && ui::Text(ui::Children(GetParent(bar))[1]).rfind("English35file", 0) == 0); ++i) {
      Sleep(5);
      bar = ui::FindChild(wizard, "msctls_progress32");
    }
    ASSERT_TRUE(bar);
    ui::Close(wizard);
    HWND question = ui::WaitForDialog(process->Id());
    ASSERT_TRUE(question) << "the installation ended before the close request";
    EXPECT_EQ(ui::MessageBoxText(question), "English46");
    EXPECT_EQ(ui::Text(question), "Velmora Install Test");

    EXPECT_EQ(ui::Text(wizard), "Velmora Install Test");
    RECT client;
    GetClientRect(wizard, &client);
    EXPECT_EQ(client.right, 495);
    EXPECT_EQ(client.bottom, 359);
    RECT r = ui::Geometry(bar);
    EXPECT_EQ(r.left, 22);
    EXPECT_EQ(r.top, 208);
    EXPECT_EQ(r.right - r.left, 452);
    EXPECT_EQ(r.bottom - r.top, 18);
    EXPECT_TRUE(GetWindowLongA(bar, GWL_STYLE) & PBS_SMOOTH);
    EXPECT_EQ(ui::Geometry(GetParent(bar)).top, 60) << "the inner page panel";
    std::vector<HWND> page = ui::Children(GetParent(bar));
    ASSERT_EQ(page.size(), 3u);
    EXPECT_EQ(ui::Text(page[0]), "English5") << "the Progress heading";
    const std::string statusText = ui::Text(page[1]);
    EXPECT_EQ(statusText.rfind("English35file", 0), 0u) << "status: message 35 and the file name: " << statusText;
    RECT line = ui::Geometry(page[1]);
    EXPECT_EQ(line.left, 22);
    EXPECT_EQ(line.top, 186);
    EXPECT_EQ(line.right - line.left, 452);
    EXPECT_FALSE(ui::IsEnabled(ui::FindChild(wizard, "Button", "English24"))) << "Back is disabled";

    ui::Click(GetDlgItem(question, answer));
    int code = process->WaitForExit(60000);
    if (answer == IDNO) {
      EXPECT_EQ(code, 0) << "No: the installation went on to its end";
      for (int i = 0; i < 6; ++i) EXPECT_EQ(ReadWholeFile(std::string(kTarget) + "\\file" + std::to_string(i) + ".dat"), files[size_t(i)]);
    } else {
      EXPECT_EQ(code, 1) << "Yes: ended at the next file, as cancelled";
      for (int i = 0; i < 6; ++i) {
        TBytes written = ReadWholeFile(std::string(kTarget) + "\\file" + std::to_string(i) + ".dat");
        EXPECT_TRUE(written.empty() || written == files[size_t(i)]) << "never a partial file";
      }
    }
    EXPECT_FALSE(FileExists(TemporaryFolder()));
  }
}
