// Path constants against the real folders and registry of the Wine prefix.
#include <gtest/gtest.h>

#include "archive/setup_script.h"
#include "lang/folders.h"
#include "lang/path_constants.h"
#include "lang/registry_text.h"
#include "mksetup/script_builder.h"
#include "startup/folder_names.h"
#include "win32_support.h"

namespace {

std::string Env(const char* name) {
  char buffer[1024];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

std::string Code(int code) {
  char text[8];
  snprintf(text, sizeof text, "@$&%%%02d", code);
  return ExpandPathConstants(text);
}

std::string NoSlash(std::string s) { return DropTrailingBackslash(s); }

const char kTestKey[] = "Software\\VelmoraTest";

void SetValue(const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

}  // namespace

TEST(FolderCodes, MatchThePrefixFolders) {
  ASSERT_FALSE(Env("USERPROFILE").empty());
  EXPECT_EQ(Code(1), Env("ProgramFiles"));
  EXPECT_EQ(Code(2), Env("windir"));
  EXPECT_EQ(Code(3), Env("windir") + "\\system32");
  EXPECT_EQ(Code(5), NoSlash(Env("TEMP")));
  EXPECT_EQ(Code(6), Env("USERPROFILE") + "\\Desktop");
  EXPECT_EQ(Code(8), Env("APPDATA") + "\\Microsoft\\Windows\\Start Menu\\Programs");
  EXPECT_EQ(Code(9), Env("APPDATA") + "\\Microsoft\\Windows\\Start Menu");
  EXPECT_EQ(Code(13), Env("USERPROFILE"));
  EXPECT_EQ(Code(15), Env("windir") + "\\Fonts");
  EXPECT_EQ(Code(16), Env("CommonProgramFiles"));
  EXPECT_EQ(Code(17), Env("windir").substr(0, 2)) << "drive letter and colon, no backslash";
  EXPECT_EQ(Code(18), NoSlash(ExecutableFolder()));
  EXPECT_EQ(Code(20), Env("USERNAME"));
  EXPECT_EQ(Code(22), Env("COMPUTERNAME"));
  EXPECT_EQ(Code(26), Env("APPDATA"));
  EXPECT_EQ(Code(27), Env("ProgramData"));
  const std::string startMenu = Env("APPDATA") + "\\Microsoft\\Windows\\Start Menu";
  const std::string commonStartMenu = Env("ProgramData") + "\\Microsoft\\Windows\\Start Menu";
  EXPECT_EQ(Code(10), Env("USERPROFILE") + "\\Documents");
  EXPECT_EQ(Code(11), Env("USERPROFILE") + "\\Favorites");
  EXPECT_EQ(Code(12), Env("APPDATA") + "\\Microsoft\\Windows\\SendTo");
  EXPECT_EQ(Code(14), startMenu + "\\Programs\\StartUp");
  EXPECT_EQ(Code(28), Env("PUBLIC") + "\\Desktop");
  EXPECT_EQ(Code(29), Env("PUBLIC") + "\\Documents");
  EXPECT_EQ(Code(31), commonStartMenu + "\\Programs");
  EXPECT_EQ(Code(32), commonStartMenu);
  EXPECT_EQ(Code(33), commonStartMenu + "\\Programs\\StartUp");
  EXPECT_EQ(Code(34), Env("APPDATA") + "\\Microsoft\\Windows\\Templates");
  EXPECT_EQ(Code(35), Env("ProgramData") + "\\Microsoft\\Windows\\Templates");
  for (int empty : {0, 19, 23, 24, 25, 36, 40, -1}) EXPECT_EQ(Code(empty), "") << empty;
}

TEST(FolderCodes, StateCodesAndShortForms) {
  PathState() = TPathState{};
  PathState().languageName = "English (UK)";
  EXPECT_EQ(Code(21), "English (UK)");
  EXPECT_EQ(Code(4), "") << "empty until the destination is known";

  std::string folder = "C:\\velmora-tests\\Long Folder Name";
  CreateDirectoryA("C:\\velmora-tests", nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  PathState().installationFolder = folder + "\\";
  EXPECT_EQ(Code(4), folder) << "one trailing backslash dropped";
  std::string shortForm = Code(44);
  EXPECT_NE(shortForm, "");
  EXPECT_NE(shortForm, folder);
  EXPECT_EQ(shortForm.find(' '), std::string::npos) << shortForm;
  EXPECT_EQ(FileSystemName(shortForm), "Long Folder Name") << "the short form names the same folder";

  PathState().installationFolder = "C:\\velmora-tests\\does not exist\\";
  EXPECT_EQ(Code(44), "C:\\velmora-tests\\does not exist") << "a missing folder's short form is its long form";
  PathState() = TPathState{};
}

TEST(FolderCodes, QuickLaunchOnlyWhenTheFolderExists) {
  HKEY key;
  const char* mapGroups = "Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups";
  RegDeleteKeyA(HKEY_CURRENT_USER, mapGroups);
  std::string standard = Env("APPDATA") + "\\Microsoft\\Internet Explorer\\Quick Launch";
  RemoveDirectoryA(standard.c_str());
  EXPECT_EQ(Code(7), "");
  CreateDirectoryA((Env("APPDATA") + "\\Microsoft").c_str(), nullptr);
  CreateDirectoryA((Env("APPDATA") + "\\Microsoft\\Internet Explorer").c_str(), nullptr);
  ASSERT_TRUE(CreateDirectoryA(standard.c_str(), nullptr));
  EXPECT_EQ(Code(7), standard);

  // A path named in the registry is used as it stands.
  std::string mapped = "C:\\velmora-tests\\QuickLaunchHere";
  CreateDirectoryA("C:\\velmora-tests", nullptr);
  CreateDirectoryA(mapped.c_str(), nullptr);
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, mapGroups, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
  RegSetValueExA(key, "Quick Launch", 0, REG_SZ, reinterpret_cast<const BYTE*>(mapped.c_str()), DWORD(mapped.size() + 1));
  RegCloseKey(key);
  EXPECT_EQ(Code(7), mapped);
  RegDeleteKeyA(HKEY_CURRENT_USER, mapGroups);
  RemoveDirectoryA(standard.c_str());
}

TEST(RegistryVariables, ReadFromTheRegistryWithTheirDefaults) {
  const char text[] = "C:\\From\\Registry\\";
  const char expand[] = "%windir%\\sub";
  DWORD allOnes = 0xFFFFFFFFu;
  const BYTE binary[] = {1, 2, 3};
  SetValue("Text", REG_SZ, text, sizeof text);
  SetValue("Expand", REG_EXPAND_SZ, expand, sizeof expand);
  SetValue("Dword", REG_DWORD, &allOnes, 4);
  SetValue("Binary", REG_BINARY, binary, 3);
  SetValue("", REG_SZ, "default value", 14);

  TScriptBuilder b;
  for (const char* name : {"Text", "Expand", "Dword", "Binary", "Missing", ""})
    b.AddRecord(kSectionRegistryVariables, {"1", kTestKey, name, std::string("dflt-") + name});
  b.AddRecord(kSectionRegistryVariables, {"1", "Software\\NoSuchKey", "x", "no key"});
  b.AddRecord(kSectionRegistryVariables, {"9", kTestKey, "Text", "bad root"});
  TMemoryStream item(b.Serialize());
  ASSERT_TRUE(ParseScriptHeader(item));
  ResolveRegistryVariables();

  const std::vector<std::string> expected = {
      text, Env("windir") + "\\sub", "-1", "dflt-Binary", "dflt-Missing", "default value", "no key", "bad root"};
  EXPECT_EQ(PathState().registryVariables, expected);
  EXPECT_EQ(Code(81), "C:\\From\\Registry") << "the trailing-backslash rule applies";
  EXPECT_EQ(Code(83), "-1");
  EXPECT_EQ(Code(89), "") << "beyond the records";
  RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
  PathState() = TPathState{};
}

TEST(InstallFolderSwitch, TakesTheFileSystemSpellingOfExistingFolders) {
  std::string parent = "C:\\velmora-tests\\Long Folder Name";
  CreateDirectoryA("C:\\velmora-tests", nullptr);
  CreateDirectoryA(parent.c_str(), nullptr);
  char shortName[MAX_PATH];
  ASSERT_GT(GetShortPathNameA(parent.c_str(), shortName, sizeof shortName), 0u);
  ASSERT_NE(std::string(shortName), parent);
  EXPECT_EQ(NormaliseInstallFolder(std::string(shortName) + "\\New Product"), parent + "\\New Product")
      << "8.3 names become long names; a new last folder stays as typed";
  EXPECT_EQ(NormaliseInstallFolder("C:\\VELMORA-TESTS\\long folder name\\x\\"), "C:\\velmora-tests\\Long Folder Name\\x");
  EXPECT_EQ(NormaliseInstallFolder("C:\\velmora-tests\\Long F?lder Name"), "C:\\velmora-tests\\Long F?lder Name")
      << "a wildcard (or a letter the code page lacks) never picks an existing folder";
  EXPECT_EQ(NormaliseInstallFolder("C:\\velmora-tests\\Long*"), "C:\\velmora-tests\\Long*");
}
