// The start-up environment checks of the real setup.exe, against the Wine
// prefix's registry and windows of another program.
#include <gtest/gtest.h>

#include <algorithm>

#include "setup_runner.h"
#include "startup/environment_checks.h"
#include "startup/temp_folder.h"
#include "ui_driver.h"

namespace {

const char kPolicy[] = "SOFTWARE\\Microsoft\\.NETFramework\\policy";

void SetPolicyVersions(const std::vector<std::string>& versions) {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPolicy);
  for (const std::string& v : versions) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kPolicy) + "\\" + v).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    RegCloseKey(key);
  }
}

TScriptBuilder CheckScript(const std::string& title = "Velmora Test Setup") {
  TScriptBuilder script = PermissiveScript();
  script.SetField(65, title);
  script.AddLanguage("English", "1033", "", "", MessagesOf("English"));
  return script;
}

std::string MakeSetup(const std::string& name, const TScriptBuilder& script) {
  return WriteSetup(FreshFolder(name), BuildSetupImage(SetupWith(script)).executable);
}

int RunToEnd(const std::string& setup, const std::string& arguments = "") {
  auto process = ui::TProcess::Start(setup, arguments);
  return process ? process->WaitForExit(20000) : -2;
}

TScriptBuilder DotNetScript(const char* required, const char* orLater, const std::string& download = "0") {
  TScriptBuilder script = CheckScript();
  script.SetField(100, required);
  script.SetField(85, orLater);
  script.SetField(2, download);
  return script;
}

std::string ReadText(const std::string& path) {
  TBytes bytes = ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

int CountLines(const std::string& text, const std::string& line) {
  int count = 0;
  for (size_t at = text.find(line + "\r\n"); at != std::string::npos; at = text.find(line + "\r\n", at + 1))
    if (at == 0 || text[at - 1] == '\n') ++count;
  return count;
}

class EnvironmentChecks : public ::testing::Test {
protected:
  void TearDown() override {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPolicy);
    ClearTemporaryFolder();
  }
};

}  // namespace

TEST_F(EnvironmentChecks, DotNetVersionIsTheHighestPolicyEntry) {
  SetPolicyVersions({"v1.0", "v1.1", "v2.0.50727", "Upgrades", "standards"});
  EXPECT_DOUBLE_EQ(InstalledDotNetVersion(), 2.0);
  SetPolicyVersions({"v1.0", "v1.1", "v2.0.50727", "v3.5"});
  EXPECT_DOUBLE_EQ(InstalledDotNetVersion(), 3.5);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPolicy);
  EXPECT_DOUBLE_EQ(InstalledDotNetVersion(), 0.0);
}

TEST_F(EnvironmentChecks, DotNetExactOrLaterVersionDecidesTheRun) {
  SetPolicyVersions({"v1.0", "v1.1", "v2.0.50727"});
  EXPECT_EQ(RunToEnd(MakeSetup("net-exact", DotNetScript("2.0", "0"))), 0) << "2.0 installed, exactly 2.0 required";
  EXPECT_EQ(RunToEnd(MakeSetup("net-later", DotNetScript("1.1", "1"))), 0) << "1.1 or later required";
  SetPolicyVersions({"v1.0", "v1.1", "v2.0.50727", "v3.5"});
  // Exactly 2.0 required, 3.5 installed: refused with an OK box.
  auto process = ui::TProcess::Start(MakeSetup("net-refused", DotNetScript("2.0", "0")), "");
  HWND box = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(ui::MessageBoxText(box), "English86");
  EXPECT_EQ(ui::Text(box), "Velmora Test Setup");
  EXPECT_FALSE(GetDlgItem(box, IDNO)) << "no download offered, only OK";
  ui::Click(GetDlgItem(box, IDOK));
  EXPECT_EQ(process->WaitForExit(20000), 2);
  EXPECT_FALSE(FileExists(TemporaryFolder()));
}

TEST_F(EnvironmentChecks, TheDownloadQuestionOpensTheAddressOnYes) {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPolicy);  // nothing installed: 0 refuses any version
  std::string folder = FreshFolder("net-download");
  std::string recorder = folder + "download.exe";
  ASSERT_TRUE(CopyFileA((ExecutableFolder() + "start_recorder.exe").c_str(), recorder.c_str(), FALSE));
  for (int answer : {IDNO, IDYES}) {
    DeleteFileA((folder + "started.txt").c_str());
    auto process = ui::TProcess::Start(MakeSetup("net-download", DotNetScript("4.0", "1", recorder)), "");
    HWND box = ui::WaitForDialog(process->Id());
    ASSERT_TRUE(box);
    EXPECT_EQ(ui::MessageBoxText(box), "English86 English87");
    ASSERT_TRUE(GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO));
    ui::Click(GetDlgItem(box, answer));
    EXPECT_EQ(process->WaitForExit(20000), 2);
    for (int i = 0; i < 50 && answer == IDYES && !FileExists(folder + "started.txt"); ++i) Sleep(100);
    EXPECT_EQ(FileExists(folder + "started.txt"), answer == IDYES);
  }
}

TEST_F(EnvironmentChecks, AdministratorAsWineReportsItAndTheSilentVersionRefusal) {
  EXPECT_TRUE(IsAdministrator()) << "Wine runs programs as an administrator";
  TScriptBuilder admin = CheckScript();
  admin.SetField(99, "1");
  EXPECT_EQ(RunToEnd(MakeSetup("admin", admin)), 0);

  TScriptBuilder noSystem = CheckScript();
  noSystem.SetField(61, "0");
  auto process = ui::TProcess::Start(MakeSetup("no-system", noSystem), "/S");
  EXPECT_EQ(process->WaitForExit(20000), 2) << "silently refused, without a box";
}

namespace {

// Starts the window host with the titles and waits until its windows exist.
std::unique_ptr<ui::TProcess> StartHost(const std::string& log, const std::vector<std::string>& titles, bool box) {
  DeleteFileA(log.c_str());
  std::string arguments = "\"" + log + "\"" + (box ? " --box" : "");
  for (const std::string& t : titles) arguments += " \"" + t + "\"";
  auto host = ui::TProcess::Start(ExecutableFolder() + "window_host.exe", arguments);
  for (int i = 0; i < 100 && ui::TopLevelWindows(host->Id()).size() < titles.size(); ++i) Sleep(50);
  return host;
}

std::string LastEnumerated(DWORD host, const std::vector<std::string>& matching) {
  std::string last;
  for (HWND w : ui::TopLevelWindows(host))
    if (std::find(matching.begin(), matching.end(), ui::Text(w)) != matching.end()) last = ui::Text(w);
  return last;
}

void CloseRun(const std::string& name, const std::string& wanted, bool containing,
                     const std::string& setupTitle = "Velmora Test Setup") {
  TScriptBuilder script = CheckScript(setupTitle);
  script.SetField(103, "1");
  script.SetField(104, wanted);
  script.SetField(105, containing ? "1" : "0");
  EXPECT_EQ(RunToEnd(MakeSetup(name, script)), 0);
  Sleep(700);  // the host handles what was posted
}

}  // namespace

TEST_F(EnvironmentChecks, CloseRequestsGoToTheLastMatchingWindowOnce) {
  std::string log = FreshFolder("close") + "host.log";
  const std::vector<std::string> titles = {"Untitled - Editor", "EDITOR 2", "Velmora Editor"};
  auto host = StartHost(log, titles, false);
  ASSERT_EQ(ui::TopLevelWindows(host->Id()).size(), 3u);

  // Containing "Editor": both editors match, "Velmora Editor" never does;
  // the one enumerated last is asked, once.
  std::string last = LastEnumerated(host->Id(), {"Untitled - Editor", "EDITOR 2"});
  CloseRun("close-contains", "Editor", true);
  std::string record = ReadText(log);
  EXPECT_EQ(CountLines(record, "CLOSE " + last), 1) << record;
  EXPECT_EQ(CountLines(record, "CLOSE Velmora Editor"), 0) << record;
  EXPECT_EQ(CountLines(record, "CLOSE Untitled - Editor") + CountLines(record, "CLOSE EDITOR 2"), 1) << record;

  // The exact title: no window is titled just "Editor"; "editor 2" matches
  // "EDITOR 2" as the platform compares titles.
  DeleteFileA(log.c_str());
  CloseRun("close-exact", "Editor", false);
  EXPECT_EQ(ReadText(log), "");
  CloseRun("close-exact2", "editor 2", false);
  EXPECT_EQ(ReadText(log), "CLOSE EDITOR 2\r\n");
}

TEST_F(EnvironmentChecks, TheSetupsOwnTitleDoesNotStopTheSearch) {
  std::string log = FreshFolder("close-own") + "host.log";
  auto host = StartHost(log, {"Untitled - Editor"}, false);
  CloseRun("close-own", "Editor", true, "Editor Setup");
  EXPECT_EQ(ReadText(log).find("READY\r\nCLOSE Untitled - Editor"), 0u) << ReadText(log);
}

TEST_F(EnvironmentChecks, ASaveChangesBoxWithTheSameTitleDoesNotLoopForEver) {
  for (bool containing : {true, false}) {
    std::string log = FreshFolder("close-box") + "host.log";
    auto host = StartHost(log, {"Untitled - Editor"}, true);
    CloseRun(containing ? "close-box-c" : "close-box-e", containing ? "Editor" : "Untitled - Editor", containing);
    std::string record = ReadText(log);
    EXPECT_EQ(CountLines(record, "CLOSE Untitled - Editor"), 1) << record;
  }
}
