// Shortcuts made by the installation's shortcut step, gated by the wizard's
// controls and read back through the shell's own link object.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "archive/setup_script.h"
#include "engine/shortcuts.h"
#include "engine/uninstall_list.h"
#include "lang/folders.h"
#include "mksetup/script_builder.h"
#include "toolkit/com_ptr.h"
#include "win32_support.h"

namespace {

struct TLink {
  std::string path, arguments, description, workingFolder, iconFile;
  int iconIndex = -1;
};

TLink ReadLink(const std::string& file) {
  TLink link;
  TComApartment com;
  TComPtr<IShellLinkA> shell;
  TComPtr<IPersistFile> persist;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(shell.Receive()))) ||
      FAILED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(persist.Receive()))))
    return link;
  std::wstring wide(file.begin(), file.end());
  if (FAILED(persist->Load(wide.c_str(), STGM_READ))) return link;
  char text[MAX_PATH * 2] = {};
  shell->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
  link.path = text;
  shell->GetArguments(text, sizeof text);
  link.arguments = text;
  shell->GetDescription(text, sizeof text);
  link.description = text;
  shell->GetWorkingDirectory(text, sizeof text);
  link.workingFolder = text;
  text[0] = 0;
  shell->GetIconLocation(text, sizeof text, &link.iconIndex);
  link.iconFile = text;
  return link;
}

void Load(const TScriptBuilder& builder) {
  TMemoryStream item(builder.Serialize());
  ASSERT_TRUE(ParseScriptHeader(item));
  ASSERT_TRUE(ParseScriptSections(item));
}

const char kTarget[] = "C:\\velmora-tests\\links\\bin\\tool.exe";

class Shortcuts : public ::testing::Test {
protected:
  void SetUp() override {
    // Quick Launch exists on this machine for the test.
    std::string quick = ShellFolderPath(CSIDL_APPDATA) + "\\Microsoft\\Internet Explorer\\Quick Launch";
    CreateDirectoryA((ShellFolderPath(CSIDL_APPDATA) + "\\Microsoft").c_str(), nullptr);
    CreateDirectoryA((ShellFolderPath(CSIDL_APPDATA) + "\\Microsoft\\Internet Explorer").c_str(), nullptr);
    CreateDirectoryA(quick.c_str(), nullptr);
    UninstallFileList().clear();
  }
  // One record per location, as the builder writes them.
  TScriptBuilder Script() {
    TScriptBuilder b;
    b.AddRecord(kSectionShortcuts, {"0", "Velmora Tool.lnk", kTarget, "/group", "In the group", "", "3", ""});
    b.AddRecord(kSectionShortcuts, {"1", "Velmora Tool.lnk", kTarget, "", "On the desktop", kTarget, "2", ""});
    b.AddRecord(kSectionShortcuts, {"2", "Sub\\Deeper\\Velmora Tool.lnk", kTarget, "", "", "", "", "C:\\work\\"});
    b.AddRecord(kSectionShortcuts, {"3", "Velmora Tool.lnk", kTarget, "", "", "", "", ""});
    b.AddRecord(kSectionShortcuts, {"4", "C:\\velmora-tests\\links\\new\\Explicit.lnk", "@$&%02\\notepad.exe", "", "", "", "", ""});
    return b;
  }
  std::vector<std::string> Expected() {
    return {FolderForCode(8) + "\\Velmora Group\\Velmora Tool.lnk", FolderForCode(6) + "\\Velmora Tool.lnk",
            FolderForCode(9) + "\\Sub\\Deeper\\Velmora Tool.lnk", FolderForCode(7) + "\\Velmora Tool.lnk",
            "C:\\velmora-tests\\links\\new\\Explicit.lnk"};
  }
  void TearDown() override {
    for (const std::string& path : Expected()) DeleteFileA(path.c_str());
  }
};

}  // namespace

TEST_F(Shortcuts, EveryLocationIsMadeWhenItsControlSaysSo) {
  Load(Script());
  TShortcutChoices choices;
  choices.group = "Velmora Group";
  CreateShortcuts(choices);

  const std::vector<std::string> expected = Expected();
  EXPECT_EQ(UninstallFileList(), expected) << "every shortcut listed for the uninstaller, in order";
  for (const std::string& path : expected) EXPECT_TRUE(FileExists(path)) << path;

  TLink group = ReadLink(expected[0]);
  EXPECT_EQ(group.path, kTarget);
  EXPECT_EQ(group.arguments, "/group");
  EXPECT_EQ(group.description, "In the group");
  EXPECT_EQ(group.workingFolder, "C:\\velmora-tests\\links\\bin") << "the target's folder without its backslash";
  EXPECT_EQ(group.iconFile, "") << "an icon index without icon file sets no icon";
  TLink desktop = ReadLink(expected[1]);
  EXPECT_EQ(desktop.iconFile, kTarget);
  EXPECT_EQ(desktop.iconIndex, 2);
  EXPECT_EQ(ReadLink(expected[2]).workingFolder, "C:\\work");
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(ReadLink(expected[4]).path, std::string(windows) + "\\notepad.exe") << "path constants expanded";
}

TEST_F(Shortcuts, UncheckedControlsAndAnEmptyGroupName) {
  Load(Script());
  TShortcutChoices choices;
  choices.desktop = choices.quickLaunch = false;
  CreateShortcuts(choices);
  const std::vector<std::string> expected = Expected();
  const std::string inPrograms = FolderForCode(8) + "\\Velmora Tool.lnk";
  EXPECT_EQ(UninstallFileList(), (std::vector<std::string>{inPrograms, expected[2], expected[4]}));
  EXPECT_TRUE(FileExists(inPrograms)) << "an empty group name: straight into Programs";
  EXPECT_FALSE(FileExists(expected[1]));
  EXPECT_FALSE(FileExists(expected[3]));
  DeleteFileA(inPrograms.c_str());

  UninstallFileList().clear();
  choices.noShortcuts = true;
  choices.startMenu = false;
  CreateShortcuts(choices);
  EXPECT_EQ(UninstallFileList(), std::vector<std::string>{expected[4]}) << "only the explicit path is left";
}
