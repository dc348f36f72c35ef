// Commands, fonts and component registration, called in this process on a
// script made by the packer library, against real programs started through
// the shell, real fonts and real DLLs.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "engine/commands.h"
#include "engine/components.h"
#include "engine/fonts.h"
#include "engine/progress.h"
#include "extraction_support.h"
#include "lang/folders.h"
#include "lang/path_constants.h"
#include "startup/os_class.h"
#include "toolkit/message_pump.h"
#include "toolkit/win32_handle.h"

namespace {

std::string ReadText(const std::string& path) {
  const TBytes bytes = ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  return lines;
}

// Index of the first line that starts with prefix; -1 when none does.
int IndexOf(const std::vector<std::string>& lines, const std::string& prefix) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].compare(0, prefix.size(), prefix) == 0) return int(i);
  return -1;
}

bool Copy(const std::string& from, const std::string& to) { return CopyFileA(from.c_str(), to.c_str(), FALSE); }

std::string WithoutSlash(const std::string& folder) { return DropTrailingBackslash(folder); }

// Loads a script as the start-up does (English messages "M1".."M87") and
// puts the run state back afterwards.
class ScriptRun : public ::testing::Test {
protected:
  void SetUp() override {
    savedScript_ = Script();
    savedState_ = PathState();
    SetProgressRange(1000);
  }
  void TearDown() override {
    Script() = savedScript_;
    PathState() = savedState_;
  }
  static void Load(TScriptBuilder script) {
    script.AddLanguage("English", "1033", "", "", MessagesOf("M"));
    TMemoryStream item(script.Serialize());
    Script() = TSetupScript();
    ASSERT_TRUE(ParseScriptHeader(item));
    ASSERT_TRUE(ParseScriptSections(item));
  }

private:
  TSetupScript savedScript_;
  TPathState savedState_;
};

// ---------------------------------------------------------------- commands

// command_probe logs "start TAG | folder=... | show=N | exe=..." and, after
// sleeping, "end TAG" to the log the environment names.
class Commands : public ScriptRun {
protected:
  void SetUp() override {
    ScriptRun::SetUp();
    RemoveTree("C:\\velmora-tests\\commands");
    folder_ = FreshFolder("commands");
    log_ = folder_ + "probe.log";
    SetEnvironmentVariableA("VELMORA_PROBE_LOG", log_.c_str());
    ASSERT_TRUE(Copy(ExecutableFolder() + "command_probe.exe", folder_ + "command_probe.exe"));
    PathState().installationFolder = WithoutSlash(folder_);
  }
  void TearDown() override {
    SetEnvironmentVariableA("VELMORA_PROBE_LOG", nullptr);
    RemoveTree(WithoutSlash(folder_));
    ScriptRun::TearDown();
  }

  std::vector<std::string> Log() const { return Lines(ReadText(log_)); }
  // Programs not waited for finish in their own time.
  bool WaitForLine(const std::string& prefix) const {
    for (int i = 0; i < 200; ++i, Sleep(50))
      if (IndexOf(Log(), prefix) >= 0) return true;
    return false;
  }

  std::string folder_, log_;
};

const char kProbe[] = "@$&%04\\command_probe.exe";

TEST_F(Commands, OnlyThePhasesInstallCommandsRunInOrderAndOnlyThoseAskingForItAreAwaited) {
  ASSERT_TRUE(CreateDirectoryA((folder_ + "sub").c_str(), nullptr));
  ASSERT_TRUE(Copy(folder_ + "command_probe.exe", folder_ + "sub\\command_probe.exe"));
  TScriptBuilder script;
  script.AddRecord(kSectionCommands, {"", kProbe, "first 400", "3", "0", "1"});
  script.AddRecord(kSectionCommands, {"", kProbe, "final 0", "1", "1", "1"});
  script.AddRecord(kSectionCommands, {"", "@$&%04\\sub\\command_probe.exe", "second 0", "7", "0", "1"});
  script.AddRecord(kSectionCommands, {"", kProbe, "never 0", "1", "2", "1"});
  script.AddRecord(kSectionCommands, {"", kProbe, "detached 2000", "1", "0", "0"});
  script.AddUninstallCommand({"", kProbe, "uninstall-0 0", "1", "0", "1"});
  script.AddUninstallCommand({"", kProbe, "uninstall-1 0", "1", "1", "1"});
  Load(script);

  int32_t position = ProgressPosition();
  RunCommands(0);
  std::vector<std::string> log = Log();
  EXPECT_EQ(StatusText(), "M57");
  EXPECT_EQ(ProgressPosition(), position + 3) << "one step per command of the phase";
  const int firstStart = IndexOf(log, "start first |"), firstEnd = IndexOf(log, "end first");
  const int secondStart = IndexOf(log, "start second |"), secondEnd = IndexOf(log, "end second");
  ASSERT_GE(firstStart, 0);
  EXPECT_LT(firstStart, firstEnd);
  EXPECT_LT(firstEnd, secondStart) << "the next command starts only after a waited one ended";
  EXPECT_LT(secondStart, secondEnd);
  EXPECT_EQ(IndexOf(log, "end detached"), -1) << "a command without the wait flag is not waited for";

  // Started in the folder of the program, with the record's show command.
  const std::string first = UpperAscii(log[size_t(firstStart)]);
  EXPECT_NE(first.find(UpperAscii("| folder=" + WithoutSlash(folder_) + " | show=3 |")), std::string::npos) << first;
  const std::string second = secondStart >= 0 ? UpperAscii(log[size_t(secondStart)]) : "";
  EXPECT_NE(second.find(UpperAscii("| folder=" + folder_ + "sub | show=7 |")), std::string::npos) << second;

  ASSERT_TRUE(WaitForLine("end detached"));
  EXPECT_GT(IndexOf(Log(), "start detached |"), secondEnd);

  position = ProgressPosition();
  RunCommands(1);
  log = Log();
  EXPECT_EQ(ProgressPosition(), position + 1);
  EXPECT_GT(IndexOf(log, "end final"), IndexOf(log, "start final |"));
  EXPECT_GT(IndexOf(log, "start final |"), IndexOf(log, "end detached"));
  for (const char* tag : {"start never", "start uninstall"}) EXPECT_EQ(IndexOf(log, tag), -1) << tag;
}

TEST_F(Commands, APhaseWithoutCommandsStillShowsItsStatusAndDoesNotStep) {
  TScriptBuilder script;
  script.AddRecord(kSectionCommands, {"", kProbe, "final 0", "1", "1", "1"});
  Load(script);
  SetStatusText("before");
  const int32_t position = ProgressPosition();
  RunCommands(0);
  EXPECT_EQ(StatusText(), "M57");
  EXPECT_EQ(ProgressPosition(), position);
  EXPECT_TRUE(Log().empty());
}

int g_timerRuns = 0;
void CALLBACK CountTimer(HWND, UINT, UINT_PTR, DWORD) { ++g_timerRuns; }

TEST_F(Commands, WaitingKeepsTheWindowsRunningAndKeepsAQuitRequest) {
  TScriptBuilder script;
  script.AddRecord(kSectionCommands, {"", kProbe, "slow 600", "1", "0", "1"});
  Load(script);

  g_timerRuns = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, CountTimer);
  RunCommands(0);
  KillTimer(nullptr, timer);
  EXPECT_GE(IndexOf(Log(), "end slow"), 0);
  // Outside the wait, messages run only twice (after the status text and
  // the progress step).
  EXPECT_GE(g_timerRuns, 5) << "the timer ran while the command was awaited";

  PostQuitMessage(5);
  RunCommands(0);
  const std::vector<std::string> log = Log();
  EXPECT_EQ(log.size(), 4u) << "the quit request did not cut the wait short";
  EXPECT_EQ(log.back(), "end slow");
  MSG message;
  bool quit = false;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    if (message.message == WM_QUIT) quit = message.wParam == 5;
  EXPECT_TRUE(quit) << "the quit request is still there for the message loop";
}

TEST_F(Commands, DocumentsOpenThroughTheirAssociationAndBareNamesFromTheCurrentFolder) {
  // A document type of our own, opened by the probe with the document's
  // path. (Wine's shell reads the associations of HKEY_CLASSES_ROOT only,
  // not the user's Software\Classes.)
  const std::string openCommand = "\"" + folder_ + "command_probe.exe\" \"%1\" 300";
  auto setDefault = [](const std::string& key, const std::string& value) {
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              0);
    RegSetValueExA(handle, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
    RegCloseKey(handle);
  };
  setDefault(".velmoraprobe", "VelmoraProbeDocument");
  setDefault("VelmoraProbeDocument\\shell\\open\\command", openCommand);
  const std::string document = folder_ + "notes.velmoraprobe";
  ASSERT_TRUE(WriteWholeFile(document, TextBytes("notes")));

  // A bare name: found in the current folder only (not beside the tests).
  const std::string current = folder_ + "current";
  ASSERT_TRUE(CreateDirectoryA(current.c_str(), nullptr));
  ASSERT_TRUE(Copy(folder_ + "command_probe.exe", current + "\\bare_probe.exe"));
  char saved[MAX_PATH];
  GetCurrentDirectoryA(sizeof saved, saved);
  ASSERT_TRUE(SetCurrentDirectoryA(current.c_str()));

  TScriptBuilder script;
  script.AddRecord(kSectionCommands, {"", "@$&%04\\notes.velmoraprobe", "", "1", "0", "1"});
  script.AddRecord(kSectionCommands, {"", "bare_probe.exe", "bare 0", "1", "0", "1"});
  Load(script);
  RunCommands(0);
  SetCurrentDirectoryA(saved);
  for (const char* key : {"VelmoraProbeDocument\\shell\\open\\command", "VelmoraProbeDocument\\shell\\open",
                          "VelmoraProbeDocument\\shell", "VelmoraProbeDocument", ".velmoraprobe"})
    RegDeleteKeyA(HKEY_CLASSES_ROOT, key);

  std::vector<std::string> log = Log();
  for (std::string& line : log) line = UpperAscii(line);
  const int opened = IndexOf(log, UpperAscii("start " + document + " |"));
  EXPECT_GE(opened, 0) << "the associated program got the document's path";
  EXPECT_GT(IndexOf(log, UpperAscii("end " + document)), opened)
      << "the program started for the document was awaited";
  const int bare = IndexOf(log, "START BARE |");
  ASSERT_GE(bare, 0) << "the bare name was found in the current folder";
  EXPECT_NE(log[size_t(bare)].find(UpperAscii("| folder=" + current + " |")), std::string::npos) << log[size_t(bare)];
  EXPECT_NE(log[size_t(bare)].find(UpperAscii("| exe=" + current + "\\bare_probe.exe")), std::string::npos);
}

// ------------------------------------------------------------------- fonts

const char kFontSource[] = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
const char kFontsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// The packaged font with its family renamed (same length, every name
// record), so that no font the system already has can answer for it.
TBytes RenamedFont(const std::string& family6) {
  TBytes font = ReadWholeFile(kFontSource);
  const std::string from = "DejaVu";
  size_t renamed = 0;
  for (size_t i = 0; i + 2 * from.size() <= font.size(); ++i) {
    size_t ascii = 0, wide = 0;
    while (ascii < from.size() && font[i + ascii] == uint8_t(from[ascii])) ++ascii;
    while (wide < from.size() && font[i + 2 * wide] == 0 && font[i + 2 * wide + 1] == uint8_t(from[wide])) ++wide;
    if (ascii == from.size()) {
      for (size_t j = 0; j < from.size(); ++j) font[i + j] = uint8_t(family6[j]);
      ++renamed;
    } else if (wide == from.size()) {
      for (size_t j = 0; j < from.size(); ++j) font[i + 2 * j + 1] = uint8_t(family6[j]);
      ++renamed;
    }
  }
  return renamed ? font : TBytes();
}

int CALLBACK FoundFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FamilyAvailable(const std::string& family) {
  HDC screen = GetDC(nullptr);
  LOGFONTA wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  strncpy(wanted.lfFaceName, family.c_str(), LF_FACESIZE - 1);
  bool found = false;
  EnumFontFamiliesExA(screen, &wanted, FoundFamily, LPARAM(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

// The data of a value under the Fonts key; "<none>" when it does not exist.
std::string FontsValue(const std::string& name) {
  char data[1024] = {};
  DWORD size = sizeof data - 1;
  return RegGetValueA(HKEY_LOCAL_MACHINE, kFontsKey, name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) == 0
             ? std::string(data)
             : std::string("<none>");
}

void SetFontsValue(const std::string& name, const std::string& data) {
  RegSetKeyValueA(HKEY_LOCAL_MACHINE, kFontsKey, name.c_str(), REG_SZ, data.c_str(), DWORD(data.size() + 1));
}

class Fonts : public ScriptRun {
protected:
  void SetUp() override {
    ScriptRun::SetUp();
    ASSERT_GE(OsClass(), 4) << "the NT family's Fonts key";
    RemoveTree("C:\\velmora-tests\\fonts");
    folder_ = FreshFolder("fonts");
    PathState().installationFolder = WithoutSlash(folder_);
  }
  void TearDown() override {
    for (const std::string& path : added_) RemoveFontResourceA(path.c_str());
    for (const std::string& name : values_) RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kFontsKey, name.c_str());
    for (const std::string& path : added_) DeleteFileA(path.c_str());
    RemoveTree(WithoutSlash(folder_));
    ScriptRun::TearDown();
  }

  // Writes the renamed font to path; cleaned up with its value name.
  void PlaceFont(const std::string& family6, const std::string& path, const std::string& valueName) {
    const TBytes font = RenamedFont(family6);
    ASSERT_FALSE(font.empty()) << kFontSource << " (Debian package fonts-dejavu-core)";
    ASSERT_TRUE(WriteWholeFile(path, font)) << path;
    added_.push_back(path);
    values_.push_back(valueName);
  }

  std::string folder_;
  std::vector<std::string> added_, values_;
};

TEST_F(Fonts, AreRegisteredByFileNameInTheFontsFolderByFullPathElsewhereAndAdded) {
  const std::string fontsFolder = FolderForCode(15);
  ASSERT_FALSE(fontsFolder.empty());
  PlaceFont("VtestA", fontsFolder + "\\velmora-test-a.ttf", "VtestA Sans (TrueType)");
  ASSERT_TRUE(CreateDirectoryA((folder_ + "fonts").c_str(), nullptr));
  PlaceFont("VtestB", folder_ + "fonts\\velmora-test-b.ttf", "VtestB Sans (TrueType)");
  PlaceFont("VtestC", folder_ + "velmora-test-c.ttf", "VtestC Sans (TrueType)");
  SetFontsValue("VtestC Sans (TrueType)", "keep-me.ttf");
  values_.push_back("Missing Sans (TrueType)");
  values_.push_back("Folder Sans (TrueType)");
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kFontsKey, "VtestA Sans (TrueType)");
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kFontsKey, "VtestB Sans (TrueType)");
  ASSERT_TRUE(CreateDirectoryA((folder_ + "afolder").c_str(), nullptr));

  TScriptBuilder script;
  // The Fonts folder is recognised whatever the letter case of the path.
  script.AddRecord(kSectionFonts, {"VtestA Sans (TrueType)", UpperAscii(fontsFolder) + "\\velmora-test-a.ttf"});
  script.AddRecord(kSectionFonts, {"VtestB Sans (TrueType)", "@$&%04\\fonts\\velmora-test-b.ttf"});
  script.AddRecord(kSectionFonts, {"VtestC Sans (TrueType)", folder_ + "velmora-test-c.ttf"});
  script.AddRecord(kSectionFonts, {"Missing Sans (TrueType)", folder_ + "missing.ttf"});
  script.AddRecord(kSectionFonts, {"Folder Sans (TrueType)", "@$&%04\\afolder"});
  Load(script);
  added_[0] = UpperAscii(fontsFolder) + "\\velmora-test-a.ttf";  // as added, for the clean-up

  for (const char* family : {"VtestA Sans", "VtestB Sans", "VtestC Sans"})
    ASSERT_FALSE(FamilyAvailable(family)) << family << " exists before the installation";
  const int32_t position = ProgressPosition();
  InstallFonts();

  EXPECT_EQ(FontsValue("VtestA Sans (TrueType)"), "velmora-test-a.ttf");
  EXPECT_EQ(FontsValue("VtestB Sans (TrueType)"), folder_ + "fonts\\velmora-test-b.ttf");
  EXPECT_EQ(FontsValue("VtestC Sans (TrueType)"), "keep-me.ttf") << "an existing value stays";
  EXPECT_EQ(FontsValue("Missing Sans (TrueType)"), "<none>");
  EXPECT_EQ(FontsValue("Folder Sans (TrueType)"), "<none>") << "a folder is no font file";
  for (const char* family : {"VtestA Sans", "VtestB Sans", "VtestC Sans"})
    EXPECT_TRUE(FamilyAvailable(family)) << family;
  EXPECT_EQ(ProgressPosition(), position + 5) << "missing files step too";
  EXPECT_EQ(StatusText(), "M58afolder");
}

DWORD WINAPI InstallFontsThread(LPVOID) {
  InstallFonts();
  return 0;
}

TEST_F(Fonts, AHungWindowCannotHoldUpTheInstallation) {
  const char kReady[] = "VelmoraHungWindowReady";
  TWin32Handle ready(CreateEventA(nullptr, TRUE, FALSE, kReady));
  std::string commandLine = "\"" + ExecutableFolder() + "hung_window.exe\" " + kReady;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &started));
  TWin32Handle hung(started.hProcess), hungThread(started.hThread);
  ASSERT_EQ(WaitForSingleObject(ready.Get(), 20000), WAIT_OBJECT_0);
  HWND window = FindWindowA("VelmoraHungWindow", nullptr);
  ASSERT_NE(window, nullptr);
  DWORD_PTR answer = 0;
  ASSERT_EQ(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 200, &answer), 0) << "the window does not answer";

  PlaceFont("VtestH", folder_ + "velmora-test-h.ttf", "VtestH Sans (TrueType)");
  TScriptBuilder script;
  script.AddRecord(kSectionFonts, {"VtestH Sans (TrueType)", folder_ + "velmora-test-h.ttf"});
  Load(script);

  // On a thread of its own, so that a broadcast that does hang fails the
  // test (once the hung program is ended) instead of hanging it.
  const DWORD start = GetTickCount();
  TWin32Handle worker(CreateThread(nullptr, 0, InstallFontsThread, nullptr, 0, nullptr));
  ASSERT_TRUE(worker);
  while (WaitForSingleObject(worker.Get(), 50) == WAIT_TIMEOUT && GetTickCount() - start < 15000)
    PumpWindowMessages();
  const DWORD elapsed = GetTickCount() - start;
  TerminateProcess(hung.Get(), 0);
  ASSERT_EQ(WaitForSingleObject(worker.Get(), 30000), WAIT_OBJECT_0);
  EXPECT_LT(elapsed, 8000u) << "the font broadcast waited for the hung window";
  EXPECT_EQ(FontsValue("VtestH Sans (TrueType)"), folder_ + "velmora-test-h.ttf");
  EXPECT_TRUE(FamilyAvailable("VtestH Sans"));
}

// -------------------------------------------------------------- components

// The test DLLs are built into "components" below the tests' folder; they
// are copied into a folder of their own here.
class Components : public ::testing::Test {
protected:
  void SetUp() override {
    RemoveTree("C:\\velmora-tests\\components");
    folder_ = FreshFolder("components");
    for (const char* dll : {"self_registering.dll", "component_dependency.dll", "plain_component.dll"})
      ASSERT_TRUE(Copy(ExecutableFolder() + "components\\" + dll, folder_ + dll)) << dll;
    // Nothing but the component's own folder can supply its dependency.
    ASSERT_FALSE(FileExists(ExecutableFolder() + "component_dependency.dll"));
    ASSERT_EQ(GetModuleHandleA("component_dependency.dll"), nullptr);
  }
  void TearDown() override { RemoveTree(WithoutSlash(folder_)); }
  std::string folder_;
};

TEST_F(Components, AreRegisteredWithTheirDependencyFromTheirOwnFolderAndFreed) {
  RegisterComponent(folder_ + "self_registering.dll");
  EXPECT_EQ(ReadText(folder_ + "registered.txt"), "registered 42\r\n");
  EXPECT_EQ(GetModuleHandleA("self_registering.dll"), nullptr) << "left loaded";
  EXPECT_EQ(GetModuleHandleA("component_dependency.dll"), nullptr) << "left loaded";

  RegisterComponent(folder_ + "plain_component.dll");
  EXPECT_EQ(ReadText(folder_ + "plain.log"), "attach\r\ndetach\r\n") << "loaded and freed";
  EXPECT_EQ(GetModuleHandleA("plain_component.dll"), nullptr);
}

TEST_F(Components, AreRegisteredAfterTheDllSearchWasHardened) {
  // As in setup.exe: HardenDllSearch first, in a process of its own.
  EXPECT_EQ(RunProgram(ExecutableFolder() + "component_host.exe", "\"" + folder_ + "self_registering.dll\""), 0);
  EXPECT_EQ(ReadText(folder_ + "registered.txt"), "registered 42\r\n");
}

}  // namespace
