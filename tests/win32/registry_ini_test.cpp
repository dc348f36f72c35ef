// Registry values and INI entries written into the Wine prefix's real
// registry and files, and read back through Windows.
#include <gtest/gtest.h>

#include "archive/setup_script.h"
#include "engine/registry_entries.h"
#include "lang/path_constants.h"
#include "mksetup/script_builder.h"
#include "setup_runner.h"
#include "test_support.h"
#include "toolkit/memory_stream.h"
#include "ui_driver.h"
#include "win32_support.h"

namespace {

const char kKey[] = "Software\\VelmoraRegistryTest";
const char kIniRoot[] = "C:\\velmora-tests\\ini";

struct TStoredValue {
  bool exists = false;
  DWORD type = REG_NONE;
  std::string bytes;
};

// Reads a value into a buffer of the size the registry reports.
TStoredValue ReadValue(HKEY root, const std::string& key, const std::string& name) {
  TStoredValue value;
  HKEY handle;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return value;
  DWORD size = 0;
  if (RegQueryValueExA(handle, name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    value.bytes.resize(size);
    value.exists = RegQueryValueExA(handle, name.c_str(), nullptr, &value.type,
                                    reinterpret_cast<BYTE*>(&value.bytes[0]), &size) == ERROR_SUCCESS;
    value.bytes.resize(size);
  }
  RegCloseKey(handle);
  return value;
}

bool KeyExists(HKEY root, const std::string& key) {
  HKEY handle;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

DWORD ValueCount(HKEY root, const std::string& key) {
  HKEY handle;
  DWORD count = DWORD(-1);
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return count;
  RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(handle);
  return count;
}

void Preset(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& bytes) {
  HKEY handle;
  ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr), 0);
  RegSetValueExA(handle, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()));
  RegCloseKey(handle);
}

std::string Text(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }
std::string Dword(uint32_t n) { return std::string(reinterpret_cast<const char*>(&n), 4); }

std::string Windir() {
  char buffer[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("windir", buffer, sizeof buffer);
  return std::string(buffer, n < sizeof buffer ? n : 0);
}

std::string IniValue(const std::string& file, const std::string& section, const std::string& key) {
  char buffer[4096];
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "<missing>", buffer, sizeof buffer, file.c_str());
  return std::string(buffer, n);
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName, path = folder + "\\" + name;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
      else DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

// Every test starts without the test keys and INI folder and leaves none,
// with the script and path state it found.
class RegistryIni : public ::testing::Test {
protected:
  void SetUp() override {
    savedScript_ = Script();
    savedPathState_ = PathState();
    Clean();
  }
  void TearDown() override {
    Clean();
    Script() = savedScript_;
    PathState() = savedPathState_;
  }
  static void Clean() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey);
    RemoveTree(kIniRoot);
  }
  static void LoadScript(const TScriptBuilder& builder) {
    TMemoryStream item(builder.Serialize());
    Script() = TSetupScript();
    ASSERT_TRUE(ParseScriptHeader(item));
    ASSERT_TRUE(ParseScriptSections(item));
  }

private:
  TSetupScript savedScript_;
  TPathState savedPathState_;
};

using RegistryValues = RegistryIni;
using RegistryRecords = RegistryIni;
using IniEntries = RegistryIni;

}  // namespace

TEST_F(RegistryValues, EachTypeIsStoredAsItsBytes) {
  WriteRegistryValue(1, kKey, "Text", "C:\\Program Files\\App", 0, false);
  WriteRegistryValue(1, kKey, "", "default", 0, false);
  WriteRegistryValue(1, kKey, "EmptyText", "", 0, false);
  WriteRegistryValue(1, kKey, "Binary", "0aFF1", 1, false);
  WriteRegistryValue(1, kKey, "EmptyBinary", "", 1, false);
  WriteRegistryValue(1, kKey, "Minus", "-1", 2, false);
  WriteRegistryValue(1, kKey, "Digits", "12abc", 2, false);
  WriteRegistryValue(1, kKey, "NotANumber", "abc", 2, false);
  WriteRegistryValue(1, kKey, "Big", "305419896", 2, false);

  struct {
    const char* name;
    DWORD type;
    std::string bytes;
  } expected[] = {
      {"Text", REG_SZ, Text("C:\\Program Files\\App")},
      {"", REG_SZ, Text("default")},
      {"EmptyText", REG_SZ, Text("")},
      {"Binary", REG_BINARY, std::string("\x0A\xFF", 2)},
      {"EmptyBinary", REG_BINARY, ""},
      {"Minus", REG_DWORD, std::string(4, '\xFF')},
      {"Digits", REG_DWORD, Dword(12)},
      {"NotANumber", REG_DWORD, Dword(0)},
      {"Big", REG_DWORD, std::string("\x78\x56\x34\x12", 4)},
  };
  for (const auto& e : expected) {
    TStoredValue value = ReadValue(HKEY_CURRENT_USER, kKey, e.name);
    ASSERT_TRUE(value.exists) << e.name;
    EXPECT_EQ(value.type, e.type) << e.name;
    EXPECT_EQ(value.bytes, e.bytes) << e.name;
  }
}

TEST_F(RegistryValues, WithoutOverwriteAnExistingValueOfAnyTypeStays) {
  Preset(HKEY_CURRENT_USER, kKey, "Number", REG_DWORD, Dword(5));
  Preset(HKEY_CURRENT_USER, kKey, "Text", REG_SZ, Text("old"));
  Preset(HKEY_CURRENT_USER, kKey, "Empty", REG_BINARY, "");

  WriteRegistryValue(1, kKey, "Number", "new", 0, false);
  WriteRegistryValue(1, kKey, "Text", "new", 0, false);
  WriteRegistryValue(1, kKey, "Empty", "01", 1, false);
  WriteRegistryValue(1, kKey, "Fresh", "new", 0, false);
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey, "Number").type, DWORD(REG_DWORD));
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey, "Number").bytes, Dword(5));
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey, "Text").bytes, Text("old"));
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey, "Empty").bytes, "") << "an empty value exists all the same";
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey, "Fresh").bytes, Text("new"));

  WriteRegistryValue(1, kKey, "Number", "new", 0, true);
  WriteRegistryValue(1, kKey, "Text", "7", 2, true);
  TStoredValue number = ReadValue(HKEY_CURRENT_USER, kKey, "Number");
  EXPECT_EQ(number.type, DWORD(REG_SZ));
  EXPECT_EQ(number.bytes, Text("new"));
  TStoredValue text = ReadValue(HKEY_CURRENT_USER, kKey, "Text");
  EXPECT_EQ(text.type, DWORD(REG_DWORD));
  EXPECT_EQ(text.bytes, Dword(7));
}

TEST_F(RegistryValues, OtherTypesCreateTheKeyAndItsParentsOnly) {
  const std::string deep = std::string(kKey) + "\\A\\B\\C";
  for (int type : {3, 4, -1, 1000}) WriteRegistryValue(1, deep, "Name", "01", type, true);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, deep));
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, deep), 0u);
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, kKey), 0u);
}

TEST_F(RegistryValues, TheRootIndexChoosesThePredefinedKey) {
  WriteRegistryValue(1, kKey, "User", "u", 0, false);
  WriteRegistryValue(2, kKey, "Machine", "m", 0, false);
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey, "User").bytes, Text("u"));
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kKey, "Machine").exists);
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kKey, "Machine").bytes, Text("m"));
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kKey, "User").exists);

  // Indexes without a root (and the performance-data root, which holds no
  // keys) are passed over without harm.
  const std::string other = std::string(kKey) + "\\Other";
  for (int root : {-1, 4, 7, 0x7FFFFFFF}) WriteRegistryValue(root, other, "Lost", "x", 0, true);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, other));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, other));
}

TEST_F(RegistryRecords, StringsAreExpandedAndNumbersReadAsScriptIntegers) {
  PathState().languageName = "English";
  Preset(HKEY_CURRENT_USER, kKey, "Replaced", REG_SZ, Text("old"));
  Preset(HKEY_CURRENT_USER, kKey, "Kept", REG_SZ, Text("old"));
  TScriptBuilder builder;
  const std::string key = kKey;
  builder.AddRecord(kSectionRegistry, {"1", key + "\\@$&%21", "Path @$&%21", "@$&%02\\app.exe", "0", "0", "1"});
  builder.AddRecord(kSectionRegistry, {"+1", key, "Replaced", "0aFF", "1x", "01", "0"});
  builder.AddRecord(kSectionRegistry, {"1", key, "Kept", "7", "2", "2", "0"});
  builder.AddRecord(kSectionRegistry, {"2 HKLM", key, "Machine", "@$&%02", "0", "", ""});
  builder.AddRecord(kSectionRegistry, {"1", key + "\\Only", "Nothing", "x", "3", "1", "0"});
  LoadScript(builder);
  ASSERT_EQ(SectionCount(kSectionRegistry), 5u);

  for (uint32_t k = 0; k < 5; ++k) WriteRegistryRecord(k);

  TStoredValue path = ReadValue(HKEY_CURRENT_USER, key + "\\English", "Path English");
  EXPECT_EQ(path.type, DWORD(REG_SZ));
  EXPECT_EQ(path.bytes, Text(Windir() + "\\app.exe"));
  TStoredValue replaced = ReadValue(HKEY_CURRENT_USER, key, "Replaced");
  EXPECT_EQ(replaced.type, DWORD(REG_BINARY)) << "\"1x\" is type 1, \"01\" is overwrite";
  EXPECT_EQ(replaced.bytes, std::string("\x0A\xFF", 2));
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, key, "Kept").bytes, Text("old")) << "only 1 means overwrite";
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, key, "Machine").bytes, Text(Windir()));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, key + "\\Only"));
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, key + "\\Only"), 0u);
}

TEST_F(IniEntries, RuleZeroWritesOnlyAMissingOrEmptyValue) {
  const std::string file = std::string(kIniRoot) + "\\settings.ini";
  CreateDirectoryA("C:\\velmora-tests", nullptr);
  CreateDirectoryA(kIniRoot, nullptr);
  ASSERT_TRUE(WriteWholeFile(file, TextBytes("[Main]\r\nEmpty=\r\nFull=mine\r\n")));
  TScriptBuilder builder;
  builder.AddRecord(kSectionIni, {file, "Main", "Missing", "new", "0", "1"});
  builder.AddRecord(kSectionIni, {file, "Main", "Empty", "new", "0", "1"});
  builder.AddRecord(kSectionIni, {file, "Main", "Full", "new", "0", "1"});
  builder.AddRecord(kSectionIni, {file, "Other", "Key", "new", "x", "0"});  // "x" reads 0
  LoadScript(builder);

  for (uint32_t k = 0; k < 4; ++k) WriteIniEntry(k);

  EXPECT_EQ(IniValue(file, "Main", "Missing"), "new");
  EXPECT_EQ(IniValue(file, "Main", "Empty"), "new");
  EXPECT_EQ(IniValue(file, "Main", "Full"), "mine");
  EXPECT_EQ(IniValue(file, "Other", "Key"), "new") << "a missing section is a missing key";
}

TEST_F(IniEntries, OtherRulesAlwaysWrite) {
  const std::string file = std::string(kIniRoot) + "\\settings.ini";
  CreateDirectoryA("C:\\velmora-tests", nullptr);
  CreateDirectoryA(kIniRoot, nullptr);
  ASSERT_TRUE(WriteWholeFile(file, TextBytes("[Main]\r\nOne=mine\r\nTwo=mine\r\nMinus=mine\r\n")));
  TScriptBuilder builder;
  builder.AddRecord(kSectionIni, {file, "Main", "One", "new", "1", "0"});
  builder.AddRecord(kSectionIni, {file, "Main", "Two", "new", "2", "0"});
  builder.AddRecord(kSectionIni, {file, "Main", "Minus", "new", "-1", "0"});
  LoadScript(builder);

  for (uint32_t k = 0; k < 3; ++k) WriteIniEntry(k);

  for (const char* key : {"One", "Two", "Minus"}) EXPECT_EQ(IniValue(file, "Main", key), "new") << key;
}

TEST_F(IniEntries, TheFileAndAllItsMissingFoldersAreCreated) {
  PathState().installationFolder = std::string(kIniRoot) + "\\product";
  PathState().languageName = "English";
  TScriptBuilder builder;
  builder.AddRecord(kSectionIni, {"@$&%04\\a\\b/c\\@$&%21.ini", "Section @$&%21", "Key @$&%21", "@$&%02\\x", "0", "1"});
  LoadScript(builder);

  WriteIniEntry(0);

  const std::string file = std::string(kIniRoot) + "\\product\\a\\b/c\\English.ini";
  ASSERT_TRUE(FileExists(file));
  EXPECT_EQ(IniValue(file, "Section English", "Key English"), Windir() + "\\x");
}

TEST_F(RegistryIni, ASilentSetupWritesItsRegistryValuesAndIniEntries) {
  const std::string target = std::string(kIniRoot) + "\\installed";
  TScriptBuilder script = PermissiveScript();
  script.SetField(34, "1");
  script.SetField(58, target);
  script.SetField(48, "10");
  script.SetField(56, "0");
  script.AddLanguage("English", "1033", "", "", MessagesOf("English"));
  script.AddRecord(kSectionRegistry, {"1", kKey, "InstallPath", "@$&%04", "0", "1", "1"});
  script.AddRecord(kSectionRegistry, {"2", kKey, "Version", "42", "2", "1", "0"});
  script.AddRecord(kSectionRegistry, {"1", kKey, "Blob", "$0$1ff", "1", "0", "0"});
  script.AddRecord(kSectionIni, {"@$&%04\\conf\\app.ini", "Paths", "Home", "@$&%04", "0", "1"});
  const std::string setup = WriteSetup(FreshFolder("registry-ini"), BuildSetupImage(SetupWith(script)).executable);

  auto process = ui::TProcess::Start(setup, "/S");
  ASSERT_EQ(process->WaitForExit(30000), 0);

  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey, "InstallPath").bytes, Text(target));
  TStoredValue version = ReadValue(HKEY_LOCAL_MACHINE, kKey, "Version");
  EXPECT_EQ(version.type, DWORD(REG_DWORD));
  EXPECT_EQ(version.bytes, Dword(42));
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey, "Blob").bytes, std::string("\x00\x01\xFF", 3));
  EXPECT_EQ(IniValue(target + "\\conf\\app.ini", "Paths", "Home"), target);
}
