// The language dialog and the "/L=" switch of the real setup.exe.
#include <gtest/gtest.h>

#include "startup/temp_folder.h"
#include "setup_runner.h"
#include "ui_driver.h"

namespace {

struct TLanguage {
  const char* name;
  const char* id;
};

// Every OS class refused, so that right after the language is settled a box
// shows message 52 of the chosen language: "<name>: must run on Windows 2000".
std::string LanguageSetup(const std::string& folder, const std::vector<TLanguage>& languages) {
  TScriptBuilder script = PermissiveScript();
  script.SetField(65, "Velmora Test Setup");
  script.SetField(61, "0");
  script.SetField(62, "Windows 2000");
  for (const TLanguage& l : languages) script.AddLanguage(l.name, l.id, "", "", MessagesOf(l.name));
  return WriteSetup(FreshFolder(folder), BuildSetupImage(SetupWith(script)).executable);
}

const std::vector<TLanguage> kThree = {{"English", "1033"}, {"Deutsch", "1031"}, {"Russian", "1049"}};

HWND WaitForLanguageDialog(const ui::TProcess& process) {
  return ui::WaitForWindow(process.Id(), [](HWND w) { return ui::ClassName(w) == "VelmoraLanguageDialog"; });
}

// The refusal box that follows the choice names the chosen language.
std::string AnswerRefusal(ui::TProcess& process) {
  HWND box = ui::WaitForDialog(process.Id());
  if (!box) return "<no box>";
  std::string text = ui::MessageBoxText(box);
  ui::Click(GetDlgItem(box, IDOK));  // the box's buttons speak the user's language
  EXPECT_EQ(process.WaitForExit(20000), 2);
  return text;
}

void ExpectRect(HWND control, int left, int top, int width, int height) {
  RECT r = ui::Geometry(control);
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  if (width >= 0) {
    EXPECT_EQ(r.right - r.left, width);
  }
  if (height >= 0) {
    EXPECT_EQ(r.bottom - r.top, height);
  }
}

class LanguageDialog : public ::testing::Test {
protected:
  void TearDown() override { ClearTemporaryFolder(); }
};

}  // namespace

// Wine takes the user's language from LANG when a process starts: ctest runs
// these tests once more with LANG=ru_RU.UTF-8.
TEST_F(LanguageDialog, ShowsItsControlsWithTheUserLanguageAsDefault) {
  const char* lang = getenv("LANG");
  const bool russian = lang && std::string(lang).rfind("ru_RU", 0) == 0;
  if (russian) {
    ASSERT_EQ(GetUserDefaultLangID(), 1049) << "Wine did not take the language from LANG";
  }
  auto process = ui::TProcess::Start(LanguageSetup("lang-ru", kThree), "");
  ASSERT_TRUE(process);
  HWND dialog = WaitForLanguageDialog(*process);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(ui::Text(dialog), "Velmora Test Setup");
  RECT client;
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 287);
  EXPECT_EQ(client.bottom, 127);
  HWND owner = GetWindow(dialog, GW_OWNER);
  EXPECT_EQ(ui::Text(owner), "Velmora Test Setup") << "owned by the application window";
  EXPECT_FALSE(ui::IsEnabled(owner)) << "modal: the owner is disabled";
  EXPECT_EQ(GetClassLongPtrA(dialog, GCLP_HICON), 0u) << "no caption icon";
  EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_FALSE(GetWindowLongA(dialog, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

  HWND label = ui::FindChild(dialog, "Static", "Please select a language.");
  ASSERT_TRUE(label);
  ExpectRect(label, 67, 16, -1, -1);
  HWND list = ui::FindChild(dialog, "ComboBox");
  ASSERT_TRUE(list);
  ExpectRect(list, 67, 62, 210, -1);
  EXPECT_EQ(ui::ListEntries(list), (std::vector<std::string>{"English", "Deutsch", "Russian"}));
  EXPECT_EQ(ui::SelectedIndex(list), russian ? 2 : 0) << "the default follows the user's language";
  HWND ok = ui::FindChild(dialog, "Button", "OK");
  HWND cancel = ui::FindChild(dialog, "Button", "Cancel");
  ASSERT_TRUE(ok && cancel);
  ExpectRect(ok, 112, 95, 75, 23);
  ExpectRect(cancel, 202, 95, 75, 23);
  EXPECT_TRUE(GetWindowLongA(ok, GWL_STYLE) & BS_DEFPUSHBUTTON);

  CreateDirectoryA((ExecutableFolder() + "screenshots").c_str(), nullptr);
  std::string shot = std::string("screenshots\\language-dialog") + (russian ? "-ru" : "") + ".bmp";
  EXPECT_TRUE(ui::SaveScreenshot(dialog, ExecutableFolder() + shot));

  ui::Click(ok);
  EXPECT_EQ(AnswerRefusal(*process), russian ? "Russian: must run on Windows 2000" : "English: must run on Windows 2000");
}

// On a scaled display (tests/scripts/dpi_check.sh) the dialog is its 96-DPI
// layout scaled.
TEST_F(LanguageDialog, ItScalesWithTheDisplay) {
  const int dpi = DisplayDpiUnderTest();
  if (dpi <= 0) GTEST_SKIP() << "run by tests/scripts/dpi_check.sh";
  auto process = ui::TProcess::Start(LanguageSetup("lang-dpi", kThree), "");
  HWND dialog = WaitForLanguageDialog(*process);
  ASSERT_TRUE(dialog);
  ExpectScaledClient(dialog, 287, 127, dpi);
  ExpectScaledPlace(ui::Geometry(ui::FindChild(dialog, "ComboBox")), 67, 62, 210, -1, dpi);
  ExpectScaledPlace(ui::Geometry(ui::FindChild(dialog, "Button", "OK")), 112, 95, 75, 23, dpi);
  // The prompt takes its text's width in the scaled font: wider than at 96 DPI.
  const RECT prompt = ui::Geometry(ui::FindChild(dialog, "Static", "Please select a language."));
  ExpectScaledPlace(prompt, 67, -1, -1, -1, dpi);
  EXPECT_GT(prompt.right - prompt.left, 100 * dpi / 96);
}

TEST_F(LanguageDialog, EnterInTheListConfirmsThePickedLanguage) {
  auto process = ui::TProcess::Start(LanguageSetup("lang-enter", kThree), "");
  HWND dialog = WaitForLanguageDialog(*process);
  ASSERT_TRUE(dialog);
  HWND list = ui::FindChild(dialog, "ComboBox");
  ASSERT_TRUE(ui::PickListEntry(list, 1));
  ui::PressKey(list, VK_RETURN);
  EXPECT_EQ(AnswerRefusal(*process), "Deutsch: must run on Windows 2000");
}

TEST_F(LanguageDialog, CancelEscapeAndTheCloseButtonEndTheSetupWithExitCode1) {
  // Silent mode does not skip the dialog.
  for (const char* how : {"cancel", "escape", "close"}) {
    auto process = ui::TProcess::Start(LanguageSetup("lang-cancel", kThree), "/S");
    HWND dialog = WaitForLanguageDialog(*process);
    ASSERT_TRUE(dialog) << how;
    if (std::string(how) == "cancel") ui::Click(ui::FindChild(dialog, "Button", "Cancel"));
    else if (std::string(how) == "escape") ui::PressKey(ui::FindChild(dialog, "ComboBox"), VK_ESCAPE);
    else ui::Close(dialog);
    EXPECT_EQ(process->WaitForExit(20000), 1) << how;
    EXPECT_FALSE(FileExists(TemporaryFolder())) << how;
  }
}

TEST_F(LanguageDialog, TheSwitchPicksTheLastMatchWithoutADialog) {
  std::string setup = LanguageSetup("lang-switch", {{"English", "1033"}, {"English (UK)", "2057"}, {"Deutsch", "1031"}});
  auto process = ui::TProcess::Start(setup, "/L=eng");
  EXPECT_EQ(AnswerRefusal(*process), "English (UK): must run on Windows 2000");
  EXPECT_TRUE(ui::TopLevelWindows(process->Id()).empty());
  // A request that matches nothing is ignored: the dialog comes.
  process = ui::TProcess::Start(setup, "/L=francais");
  HWND dialog = WaitForLanguageDialog(*process);
  ASSERT_TRUE(dialog);
  ui::Close(dialog);
  EXPECT_EQ(process->WaitForExit(20000), 1);

  // "/Q" without a request: no dialog, no box; the language the dialog would
  // have offered first (no record lists Russian, so English in both runs).
  const std::string log = "C:\\velmora-tests\\lang-switch\\unattended.log";
  DeleteFileA(log.c_str());
  process = ui::TProcess::Start(setup, "/Q /LOG=" + log);
  EXPECT_EQ(process->WaitForExit(20000), 2);
  const TBytes text = ReadWholeFile(log);
  const std::string logged(text.begin(), text.end());
  EXPECT_NE(logged.find("language: English\r\n"), std::string::npos) << logged;
  EXPECT_NE(logged.find("REFUSED: Windows class "), std::string::npos) << logged;
  EXPECT_NE(logged.find("exit code 2"), std::string::npos) << logged;
}

TEST_F(LanguageDialog, ASingleLanguageNeverAsks) {
  auto process = ui::TProcess::Start(LanguageSetup("lang-single", {{"Deutsch", "1031"}}), "/L=english");
  HWND box = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(box);
  EXPECT_NE(ui::ClassName(box), "VelmoraLanguageDialog");
  EXPECT_EQ(AnswerRefusal(*process), "Deutsch: must run on Windows 2000");
}

TEST_F(LanguageDialog, ATextNumberAbove255IsACorruptedSetup) {
  TScriptBuilder script = PermissiveScript();
  script.AddLanguage("English", "1033", "256", "", MessagesOf("English"));
  auto process = ui::TProcess::Start(
      WriteSetup(FreshFolder("lang-256"), BuildSetupImage(SetupWith(script)).executable), "");
  HWND box = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(ui::Text(box), "Error");
  ui::Click(GetDlgItem(box, IDOK));
  EXPECT_EQ(process->WaitForExit(20000), 3);
}
