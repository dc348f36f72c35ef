// The real uninstall.exe under Wine: a product laid out by hand, an uninstall
// log and a trailer composed here from their formats, then a silent and an
// interactive removal, a cancelled one, damaged trailers and logs, files in
// use left to the next start and a hung window, the completion page's
// account and restart question, a start from the product's own folder, a
// hostile log; and a product installed by the real setup without a trailer.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <map>

#include "setup_runner.h"
#include "toolkit/win32_handle.h"
#include "ui_driver.h"

namespace {

const char kBase[] = "C:\\velmora-tests\\uninst\\";
const char kFontsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kFontName[] = "Velmora Uninst Test (TrueType)";

using TSections = std::vector<std::pair<std::string, std::vector<std::string>>>;

// "[name]" and its lines, each ended by CR LF.
std::string LogText(const TSections& sections) {
  std::string text;
  for (const auto& section : sections) {
    text += "[" + section.first + "]\r\n";
    for (const std::string& line : section.second) text += line + "\r\n";
  }
  return text;
}

// The 52 settings: texts "Text <k>", the folder, colours and places.
std::vector<std::string> Settings(const std::string& folder, int steps) {
  std::map<int, std::string> values = {{18, folder},   {19, "16711680"}, {20, "16777215"}, {21, "1"},
                                       {22, "420"},    {23, "1"},        {31, "1"},        {32, "1"},
                                       {47, std::to_string(steps)},      {48, "20"},       {49, "8"},
                                       {50, "28"},     {51, "26"}};
  std::vector<std::string> lines;
  for (int k = 0; k <= 51; ++k)
    lines.push_back(std::to_string(k) + "=" + (values.count(k) ? values[k] : "Text " + std::to_string(k)));
  return lines;
}

std::vector<std::string> Numbered(const std::vector<std::string>& values) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < values.size(); ++i) lines.push_back(std::to_string(i + 1) + "=" + values[i]);
  return lines;
}

// Writes the log and a copy of uninstall.exe with the trailer appended.
std::string PlaceUninstaller(const std::string& exe, const std::string& log, const TSections& sections,
                             const TBytes& picture) {
  const std::string text = LogText(sections);
  EXPECT_TRUE(WriteWholeFile(log, TBytes(text.begin(), text.end())));
  TBytes bytes = ReadWholeFile(ExecutableFolder() + "uninstall.exe");
  EXPECT_FALSE(bytes.empty());
  bytes.insert(bytes.end(), picture.begin(), picture.end());
  const uint32_t n = uint32_t(picture.size());
  for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(n >> (8 * i)));
  bytes.insert(bytes.end(), log.begin(), log.end());
  bytes.push_back(uint8_t(log.size()));
  bytes.push_back(uint8_t(log.size() >> 8));
  EXPECT_TRUE(WriteWholeFile(exe, bytes));
  return exe;
}

void Put(const std::string& path, const std::string& text = "data") {
  for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  WriteWholeFile(path, TBytes(text.begin(), text.end()));
}

void SetValue(HKEY root, const std::string& key, const std::string& name, const std::string& data) {
  HKEY handle;
  ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr), 0) << key;
  RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), DWORD(data.size() + 1));
  RegCloseKey(handle);
}

bool KeyExists(HKEY root, const std::string& key) {
  HKEY handle;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

bool ValueExists(HKEY root, const std::string& key, const std::string& name) {
  return RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void DeleteTree(const std::string& folder) {
  SHFILEOPSTRUCTA operation{};
  std::string from = folder + std::string(1, '\0');
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  SHFileOperationA(&operation);
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> RecordLines(const std::string& path) {
  TBytes bytes = ReadWholeFile(path);
  std::string text(bytes.begin(), bytes.end()), line;
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// Counts the WM_FONTCHANGE broadcasts that reach this process.
int g_fontChanges = 0;
LRESULT CALLBACK FontWatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_FONTCHANGE) ++g_fontChanges;
  return DefWindowProcA(window, message, wParam, lParam);
}

// Waits for the process to end while this thread answers broadcasts.
int WaitPumping(ui::TProcess& process, DWORD timeoutMs) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs;) {
    const int code = process.WaitForExit(20);
    if (code != -1) return code;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  return -1;
}

// The deletions left to Windows' next start, in their order, upper-cased.
std::vector<std::string> PendingDeletions() {
  DWORD size = 1 << 20;
  std::vector<char> value(size + 2);  // zeros after whatever comes back
  std::vector<std::string> paths;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                   "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, value.data(), &size) != ERROR_SUCCESS)
    return paths;
  for (size_t at = 0; at < size && value[at];) {
    std::string path = &value[at];
    at += path.size() + 1;
    const bool deletion = value[at] == 0;  // the target, empty for a deletion
    at += strlen(&value[at]) + 1;
    if (path.rfind("\\??\\", 0) == 0) path = path.substr(4);
    if (!deletion || path.empty()) continue;
    CharUpperA(&path[0]);
    paths.push_back(path);
  }
  return paths;
}

// Where the path stands among the pending deletions; -1 when it is not one.
int PendingIndex(std::string path) {
  if (!path.empty()) CharUpperA(&path[0]);
  const std::vector<std::string> paths = PendingDeletions();
  for (size_t i = paths.size(); i-- > 0;)  // the latest request counts
    if (paths[i] == path) return int(i);
  return -1;
}

// The moved uninstaller waiting in the temporary folder for Windows' next
// start: a pending deletion whose file holds exactly these bytes.
std::string PendingDeletionOf(const TBytes& bytes) {
  for (const std::string& path : PendingDeletions())
    if (FileExists(path) && ReadWholeFile(path) == bytes) return path;
  return std::string();
}

}  // namespace

// Everything a product leaves, listed in the log and removed in one silent run.
TEST(Uninstaller, SilentRemovalUndoesEverythingListedAndRemovesItself) {
  const std::string base = std::string(kBase) + "silent\\", p = base + "Product\\";
  DeleteTree(base.substr(0, base.size() - 1));
  const std::string record = std::string(kBase) + "silent-record.txt";
  DeleteFileA(record.c_str());
  const std::string font = p + "fonts\\VelmoraUninst.ttf", component = p + "uninst_component.dll";
  const std::string app = p + "app.dat", readOnly = p + "readonly.dat", deep = p + "sub\\deep\\data.dat";
  const std::string shortcut = base + "Menu\\Product\\App.lnk", shared = base + "Shared\\", ini = base + "settings.ini";
  for (const std::string& file : {app, readOnly, deep, shared + "ours.dat", shortcut}) Put(file);
  Put(shared + "foreign.txt");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(CopyFileA((ExecutableFolder() + "uninst_component.dll").c_str(), component.c_str(), FALSE));
  CreateDirectoryA((p + "fonts").c_str(), nullptr);
  ASSERT_TRUE(CopyFileA("Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf", font.c_str(), FALSE))
      << "fonts-dejavu-core must be installed";
  SetValue(HKEY_LOCAL_MACHINE, kFontsKey, kFontName, font);
  EXPECT_GT(AddFontResourceA(font.c_str()), 0);
  WritePrivateProfileStringA("Main", "Key1", "a", ini.c_str());
  WritePrivateProfileStringA("Main", "Key2", "b", ini.c_str());
  WritePrivateProfileStringA("Other", "Kept", "c", ini.c_str());
  WritePrivateProfileStringA("Only", "Key", "d", (p + "product.ini").c_str());
  SetValue(HKEY_CURRENT_USER, "Software\\VelmoraUninstTest\\Alone", "Path", "x");
  SetValue(HKEY_CURRENT_USER, "Software\\VelmoraUninstTest2\\Shared", "A", "x");
  SetValue(HKEY_CURRENT_USER, "Software\\VelmoraUninstTest2\\Shared", "Other", "x");
  SetValue(HKEY_CURRENT_USER, "VelmoraUninstTop", "V", "x");
  SetValue(HKEY_LOCAL_MACHINE, "Software\\VelmoraUninstTest\\Deep\\Deeper", "", "x");
  SetValue(HKEY_LOCAL_MACHINE, "Software\\VelmoraUninstTest\\Keep", "K", "x");

  const std::string recorder = ExecutableFolder() + "uninst_recorder.exe", exe = p + "Uninstall.exe";
  auto command = [&](const std::string& tag, int sleepMs) {
    return std::vector<std::string>{"0=" + recorder, "1=" + tag + " \"" + app + "\" " + std::to_string(sleepMs), "2=0",
                                    "3=1"};
  };
  const TSections sections = {
      {"f", Numbered({app, readOnly, deep, component, font, shortcut, shared + "ours.dat", exe})},
      {"e", Numbered({p, p + "sub", p + "sub\\deep", p + "fonts", base + "Menu\\Product", shared})},
      {"o1", {"0=@$&%04", "1=" + p}},
      {"u", Numbered({component})},
      {"i1", {"0=" + ini, "1=Main", "2=Key1"}},
      {"i2", {"0=" + ini, "1=Other", "2=Kept"}},
      {"i3", {"0=" + ini, "1=Other", "2=Kept"}},  // again: already gone, nothing comes back
      {"i4", {"0=" + p + "product.ini", "1=Only", "2=Key"}},
      {"r1", {"0=1", "1=Software\\VelmoraUninstTest\\Alone", "2=Path"}},
      {"r2", {"0=1", "1=Software\\VelmoraUninstTest2\\Shared", "2=A"}},
      {"r3", {"0=1", "1=VelmoraUninstTop", "2=V"}},
      {"r4", {"0=2", "1=Software\\VelmoraUninstTest\\Deep\\Deeper", "2="}},
      {"b1", command("before1", 300)},
      {"a1", command("after1", 0)},
      {"b2", command("before2", 0)},
      {"n1", {std::string("0=") + kFontName, "1=" + font}},
      {"s", Settings(p, 30)}};
  PlaceUninstaller(exe, p + "Uninstall.ini", sections, {});
  const TBytes uninstaller = ReadWholeFile(exe);

  WNDCLASSA watchClass{};
  watchClass.lpfnWndProc = FontWatchProc;
  watchClass.hInstance = GetModuleHandleA(nullptr);
  watchClass.lpszClassName = "VelmoraFontWatch";
  RegisterClassA(&watchClass);
  HWND watch = CreateWindowExA(0, "VelmoraFontWatch", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  g_fontChanges = 0;
  auto process = ui::TProcess::Start(exe, "/S", "", {"VELMORA_UNINST_RECORD=" + record});
  EXPECT_EQ(WaitPumping(*process, 30000), 0);
  DestroyWindow(watch);

  for (const std::string& file : {app, readOnly, deep, component, font, shortcut, shared + "ours.dat"})
    EXPECT_FALSE(FileExists(file)) << file;
  EXPECT_FALSE(FileExists(exe)) << "the uninstaller is gone when it reports success";
  EXPECT_FALSE(FileExists(p + "Uninstall.ini"));
  EXPECT_FALSE(FileExists(p)) << "the product folder, emptied of the log and the uninstaller too";
  EXPECT_FALSE(FileExists(base + "Menu\\Product"));
  EXPECT_TRUE(IsFolder(base + "Menu")) << "not listed";
  EXPECT_TRUE(FileExists(shared + "foreign.txt")) << "a folder holding a foreign file stays";

  char value[16] = "";
  GetPrivateProfileStringA("Main", "Key1", "gone", value, sizeof value, ini.c_str());
  EXPECT_STREQ(value, "gone");
  GetPrivateProfileStringA("Main", "Key2", "gone", value, sizeof value, ini.c_str());
  EXPECT_STREQ(value, "b");
  const TBytes iniBytes = ReadWholeFile(ini);
  EXPECT_EQ(std::string(iniBytes.begin(), iniBytes.end()).find("[Other]"), std::string::npos)
      << "a section left without keys goes; the file keeps the other";
  EXPECT_FALSE(FileExists(p + "product.ini")) << "a file left without sections goes";

  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\VelmoraUninstTest")) << "emptied, with its parent";
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, "Software\\VelmoraUninstTest2\\Shared", "A"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, "Software\\VelmoraUninstTest2\\Shared", "Other"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, "VelmoraUninstTop", "V"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "VelmoraUninstTop")) << "a key right below a root stays";
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\VelmoraUninstTest\\Deep"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\VelmoraUninstTest\\Keep")) << "a parent with a subkey stays";
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kFontsKey, kFontName));
  EXPECT_GE(g_fontChanges, 1) << "the font change was announced";

  // The commands ran before and after the removal, the first waited for,
  // and the component was unregistered while its file still existed.
  std::vector<std::string> lines = RecordLines(record);
  ASSERT_EQ(lines.size(), 7u);
  const std::vector<std::string> expected = {"before1 start", "before1 end", "before2 start", "before2 end",
                                             "unregistered", "after1 start", "after1 end"};
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].rfind(expected[i], 0), 0u) << lines[i];
  EXPECT_NE(lines[0].find("exists=1"), std::string::npos);
  EXPECT_NE(lines[5].find("exists=0"), std::string::npos) << "the after command runs once the files are gone";

  const std::string moved = PendingDeletionOf(uninstaller);
  EXPECT_FALSE(moved.empty()) << "the moved uninstaller is left to Windows' next start";
  DeleteFileA(moved.c_str());
  RemoveFontResourceA(font.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VelmoraUninstTest2\\Shared");
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VelmoraUninstTest2");
  RegDeleteKeyA(HKEY_CURRENT_USER, "VelmoraUninstTop");
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\VelmoraUninstTest\\Keep");
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\VelmoraUninstTest");
}

namespace {

// A small product for the interactive runs; a before command that takes
// a while when slowMs is set.
struct TSmallProduct {
  std::string p, exe, log;
  TSmallProduct(const std::string& name, int slowMs) {
    const std::string base = std::string(kBase) + name;
    DeleteTree(base);
    p = base + "\\Product\\";
    exe = p + "Uninstall.exe";
    log = p + "Uninstall.ini";
    Put(p + "a.dat");
    Put(p + "b.dat");
    TSections sections = {{"f", Numbered({p + "a.dat", p + "b.dat"})}, {"e", Numbered({p})}, {"s", Settings(p, 3)}};
    if (slowMs) {
      std::vector<std::string> command = {"0=" + ExecutableFolder() + "uninst_recorder.exe",
                                          "1=slow x " + std::to_string(slowMs), "2=0", "3=1"};
      sections.insert(sections.begin(), {"b1", command});
    }
    // Its top left pixel, the see-through colour, differs from the rest.
    TBytes picture = MakeBitmapFile(60, 50, 200, 120, 40);
    const size_t topRow = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + 49 * 180;
    std::fill(picture.begin() + topRow, picture.begin() + topRow + 3, 255);
    PlaceUninstaller(exe, log, sections, picture);
  }
  bool Untouched() const {
    return FileExists(p + "a.dat") && FileExists(p + "b.dat") && FileExists(exe) && FileExists(log);
  }
};

HWND WaitForUninstallWindow(ui::TProcess& process) {
  return ui::WaitForWindow(process.Id(), [](HWND w) { return ui::ClassName(w) == "VelmoraUninstaller"; });
}

// Clicks Uninstall ("Text 1") and waits for the completion page's Finish
// ("Text 16"); null when it does not come.
HWND RemoveToCompletionPage(HWND window) {
  ui::Click(ui::FindChild(window, "Button", "Text 1"));
  HWND finish = nullptr;
  for (int i = 0; i < 400 && !finish; ++i, Sleep(25)) finish = ui::FindChild(window, "Button", "Text 16");
  return finish;
}

}  // namespace

// On a scaled display (tests/scripts/dpi_check.sh) the window is its 96-DPI
// layout scaled, the header band's places too.
TEST(Uninstaller, ItScalesWithTheDisplay) {
  const int dpi = DisplayDpiUnderTest();
  if (dpi <= 0) GTEST_SKIP() << "run by tests/scripts/dpi_check.sh";
  TSmallProduct product("dpi", 0);
  auto process = ui::TProcess::Start(product.exe, "");
  HWND window = WaitForUninstallWindow(*process);
  ASSERT_TRUE(window);
  ExpectScaledClient(window, 495, 359, dpi);
  ExpectScaledPlace(ui::Geometry(ui::FindChild(window, "Button", "Text 1")), 324, 327, 75, -1, dpi);
  // The title's place comes from the settings, scaled.
  ExpectScaledPlace(ui::Geometry(ui::FindChild(window, "Static", "Text 3")), 20, 8, -1, -1, dpi);
  ExpectScaledPlace(ui::Geometry(ui::FindChild(window, "Edit", product.p)), 22, -1, 452, -1, dpi);
}

TEST(Uninstaller, TheWindowShowsTheLogsTextsAndEndsOnTheCompletionPage) {
  TSmallProduct product("window", 0);
  const TBytes uninstaller = ReadWholeFile(product.exe);
  auto process = ui::TProcess::Start(product.exe, "");
  HWND window = WaitForUninstallWindow(*process);
  ASSERT_TRUE(window);
  EXPECT_EQ(ui::Text(window), "Text 3");
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 495);
  EXPECT_EQ(client.bottom, 359);
  for (const char* text : {"Text 0", "Text 2", "Text 3", "Text 4", "Text 17"})
    EXPECT_TRUE(ui::FindChild(window, "Static", text)) << text;
  HWND title = ui::FindChild(window, "Static", "Text 3");
  ASSERT_TRUE(title);
  EXPECT_EQ(ui::Geometry(title).left, 20) << "the title's place comes from the settings";
  EXPECT_EQ(ui::Geometry(title).top, 8);
  EXPECT_TRUE(ui::FindChild(window, "Edit", product.p)) << "the folder under its label";
  HWND start = ui::FindChild(window, "Button", "Text 1");
  HWND cancel = ui::FindChild(window, "Button", "Text 15");
  ASSERT_TRUE(start && cancel);
  CreateDirectoryA((ExecutableFolder() + "screenshots").c_str(), nullptr);
  EXPECT_TRUE(ui::SaveScreenshot(window, ExecutableFolder() + "screenshots\\uninstaller.bmp"));

  HWND finish = RemoveToCompletionPage(window);
  ASSERT_TRUE(finish) << "the completion page";
  EXPECT_TRUE(ui::IsEnabled(finish));
  EXPECT_FALSE(ui::IsEnabled(cancel));
  for (const char* text : {"Text 6", "Text 7", "Text 11", "Text 5"}) EXPECT_TRUE(ui::FindChild(window, "Static", text)) << text;
  HWND bar = ui::FindChild(window, PROGRESS_CLASSA);
  ASSERT_TRUE(bar);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), SendMessageA(bar, PBM_GETRANGE, FALSE, 0)) << "the bar is full";
  EXPECT_FALSE(FileExists(product.exe));
  ui::Click(finish);
  EXPECT_EQ(process->WaitForExit(20000), 0);
  EXPECT_FALSE(FileExists(product.p));
  const std::string moved = PendingDeletionOf(uninstaller);
  EXPECT_FALSE(moved.empty());
  DeleteFileA(moved.c_str());
}

TEST(Uninstaller, AConfirmedQuitEndsWithCode1) {
  // Before the removal: nothing is touched.
  TSmallProduct before("quit-before", 0);
  auto process = ui::TProcess::Start(before.exe, "");
  HWND window = WaitForUninstallWindow(*process);
  ASSERT_TRUE(window);
  ui::Click(ui::FindChild(window, "Button", "Text 15"));
  HWND question = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(question);
  EXPECT_EQ(ui::MessageBoxText(question), "Text 12");
  ui::Click(GetDlgItem(question, IDYES));
  EXPECT_EQ(process->WaitForExit(20000), 1);
  EXPECT_TRUE(before.Untouched());

  // During the removal (a slow first command): it stops at the next step,
  // and the uninstaller and its log stay to be run again.
  TSmallProduct during("quit-during", 1500);
  process = ui::TProcess::Start(during.exe, "", "", {"VELMORA_UNINST_RECORD=" + during.p + "..\\record.txt"});
  window = WaitForUninstallWindow(*process);
  ASSERT_TRUE(window);
  ui::Click(ui::FindChild(window, "Button", "Text 1"));
  HWND bar = ui::FindChild(window, PROGRESS_CLASSA);
  for (int i = 0; i < 200 && !ui::IsVisible(bar); ++i) Sleep(10);
  ASSERT_TRUE(ui::IsVisible(bar)) << "the removal has begun";
  ui::Close(window);
  question = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(question);
  ui::Click(GetDlgItem(question, IDYES));
  EXPECT_EQ(process->WaitForExit(20000), 1);
  EXPECT_TRUE(during.Untouched());
  EXPECT_EQ(RecordLines(during.p + "..\\record.txt").size(), 2u) << "the command had started and was waited for";
}

TEST(Uninstaller, ADamagedTrailerOrAMissingLogEndsWithCode3) {
  const std::string folder = std::string(kBase) + "damaged\\";
  DeleteTree(folder.substr(0, folder.size() - 1));
  Put(folder + "keep.dat");
  // One byte after the program image: something was appended, and it is no trailer.
  const std::string damaged = folder + "damaged.exe";
  TBytes bytes = ReadWholeFile(ExecutableFolder() + "uninstall.exe");
  bytes.push_back('x');
  ASSERT_TRUE(WriteWholeFile(damaged, bytes));
  auto process = ui::TProcess::Start(damaged, "");
  HWND box = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(box) << "an error box without /S";
  EXPECT_NE(ui::MessageBoxText(box).find("damaged"), std::string::npos) << ui::MessageBoxText(box);
  ui::Click(GetDlgItem(box, IDOK));
  EXPECT_EQ(process->WaitForExit(20000), 3);
  Put(folder + "damaged.ini", LogText({{"f", Numbered({folder + "keep.dat"})}, {"s", Settings(folder, 1)}}));
  EXPECT_EQ(RunProgram(damaged, "/S"), 3) << "silently, no box; and a damaged trailer never falls back";

  // Without a trailer, the log beside it under its own name; missing here.
  const std::string plain = folder + "plain.exe";
  ASSERT_TRUE(CopyFileA((ExecutableFolder() + "uninstall.exe").c_str(), plain.c_str(), FALSE));
  process = ui::TProcess::Start(plain, "");
  box = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(box);
  EXPECT_NE(ui::MessageBoxText(box).find("cannot be read"), std::string::npos) << ui::MessageBoxText(box);
  EXPECT_NE(ui::MessageBoxText(box).find(folder + "plain.ini"), std::string::npos) << ui::MessageBoxText(box);
  ui::Click(GetDlgItem(box, IDOK));
  EXPECT_EQ(process->WaitForExit(20000), 3);

  // A sound trailer whose log is missing, and one whose log is no log.
  const std::string exe = PlaceUninstaller(folder + "u.exe", folder + "u.ini", {{"f", Numbered({folder + "keep.dat"})}}, {});
  EXPECT_EQ(RunProgram(exe, "/S"), 3) << "a log without settings";
  DeleteFileA((folder + "u.ini").c_str());
  EXPECT_EQ(RunProgram(exe, "/S"), 3);
  EXPECT_TRUE(FileExists(exe));
  EXPECT_TRUE(FileExists(folder + "keep.dat"));
}

namespace {

// A product installed silently by the real setup with field 49 "0": the
// uninstaller without a trailer, the log beside it as uninstall.ini.
struct TNoTrailerProduct {
  static constexpr const char* kKey = "Software\\VelmoraNoTrailer";
  std::string p = std::string(kBase) + "no-trailer\\Product\\";
  std::string exe = p + "uninstall.exe", log = p + "uninstall.ini";
  TBytes uninstaller = ReadWholeFile(ExecutableFolder() + "uninstall.exe");

  void Install() {
    DeleteTree(p.substr(0, p.size() - 1));
    TScriptBuilder script = PermissiveScript();
    script.SetField(34, "1");
    script.SetField(58, p.substr(0, p.size() - 1));
    script.SetField(56, "1");
    script.SetField(49, "0");
    script.SetField(91, "@$&%04\\uninstall.exe");
    script.SetField(92, "@$&%04\\uninstall.ini");
    script.AddLanguage("English", "1033", "", "", MessagesOf("English"));
    const char* time = "133000000000000000";
    for (const char* file : {"@$&%04\\uninstall.exe", "@$&%04\\a.txt", "@$&%04\\sub\\c.txt"})
      script.AddRecord(kSectionFiles, {file, "1", time, "1", "32"});
    script.AddRecord(kSectionFolders, {"@$&%04\\sub", "1"});
    script.AddRecord(kSectionFolders, {"@$&%04", "1"});
    script.AddRecord(kSectionRegistry, {"1", std::string(kKey) + "\\Sub", "Path", "@$&%04", "0", "1", "1"});
    TArchiveInput input = SetupWith(script);
    input.files = {uninstaller, TBytes(10, 'a'), TBytes(10, 'c')};
    const std::string setup = WriteSetup(FreshFolder("no-trailer-setup"), BuildSetupImage(input).executable);
    ASSERT_EQ(RunProgram(setup, "/S"), 0);
    ASSERT_EQ(ReadWholeFile(exe), uninstaller) << "installed without a trailer";
    ASSERT_TRUE(FileExists(log) && FileExists(p + "sub\\c.txt") && KeyExists(HKEY_CURRENT_USER, kKey));
  }

  // Everything the setup left is gone, the moved uninstaller too.
  void ExpectRemoved(const std::string& how) {
    EXPECT_FALSE(FileExists(p)) << how << ": the product folder with all it held";
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKey)) << how;
    const std::string moved = PendingDeletionOf(uninstaller);
    EXPECT_FALSE(moved.empty()) << how;
    DeleteFileA(moved.c_str());
  }
};

}  // namespace

TEST(Uninstaller, WithoutATrailerItReadsTheLogBesideItOrTheOneNamedOnItsCommandLine) {
  TNoTrailerProduct product;
  product.Install();
  EXPECT_EQ(RunProgram(product.exe, "/S"), 0);
  product.ExpectRemoved("beside");

  // The log moved to a folder of its own, named by "/INI=" (in quotes, for
  // the blank in its path); nothing is left at the usual place.
  product.Install();
  const std::string elsewhere = std::string(kBase) + "no-trailer\\moved logs\\", moved = elsewhere + "product.ini";
  DeleteTree(elsewhere.substr(0, elsewhere.size() - 1));
  CreateDirectoryA(elsewhere.c_str(), nullptr);
  ASSERT_TRUE(MoveFileA(product.log.c_str(), moved.c_str()));
  EXPECT_EQ(RunProgram(product.exe, "\"/ini=" + moved + "\" /S"), 0);
  product.ExpectRemoved("/INI=");
  EXPECT_FALSE(FileExists(moved)) << "the log it was given goes too";
  RemoveDirectoryA(elsewhere.c_str());
}


namespace {

// A program holding the file open without FILE_SHARE_DELETE, as a running
// program holds its own files; it ends with the object.
std::unique_ptr<ui::TProcess> HoldOpen(const std::string& path) {
  const std::string event = "VelmoraUninstHolder" + std::to_string(GetTickCount());
  TWin32Handle ready(CreateEventA(nullptr, TRUE, FALSE, event.c_str()));
  auto holder = ui::TProcess::Start(ExecutableFolder() + "uninst_holder.exe", "\"" + path + "\" " + event);
  EXPECT_EQ(WaitForSingleObject(ready.Get(), 20000), WAIT_OBJECT_0) << "the holder has the file open";
  EXPECT_FALSE(DeleteFileA(path.c_str())) << "Wine refuses to delete a file held so";
  return holder;
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = "";
  return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)) ? path : "";
}

bool IsEmptyFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool empty = true;
  do empty = empty && (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return empty;
}

}  // namespace

// A file that a running program holds is left to Windows' next start, and
// so are the listed folders that wait only for it, after it: code 9, no
// failure. A window that has stopped answering does not hold up the font's
// announcement meanwhile.
TEST(Uninstaller, AFileInUseIsLeftToTheNextStartWithItsFoldersAndGivesCode9) {
  const std::string base = std::string(kBase) + "in-use\\", p = base + "Product\\";
  DeleteTree(base.substr(0, base.size() - 1));
  const std::string held = p + "bin\\held.dll", other = p + "other.dat", exe = p + "Uninstall.exe";
  const std::string font = p + "VelmoraStays.ttf", fontName = "Velmora Stays Test (TrueType)";
  Put(held);
  Put(other);
  Put(base + "Shared\\held.dat");
  Put(base + "Shared\\foreign.txt");
  ASSERT_TRUE(CopyFileA("Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf", font.c_str(), FALSE));
  SetValue(HKEY_LOCAL_MACHINE, kFontsKey, fontName, font);
  SetValue(HKEY_CURRENT_USER, "Software\\VelmoraStaysTest\\Sub", "V", "x");
  CreateDirectoryA((p + "logs").c_str(), nullptr);  // empty, but another program's current folder
  PlaceUninstaller(exe, p + "Uninstall.ini",
                   {{"f", Numbered({held, other, font, base + "Shared\\held.dat"})},
                    {"e", Numbered({p, p + "bin", p + "logs", base + "Shared"})},
                    {"r1", {"0=1", "1=Software\\VelmoraStaysTest\\Sub", "2=V"}},
                    {"n1", {"0=" + fontName, "1=" + font}},
                    {"s", Settings(p, 5)}},
                   {});
  const TBytes uninstaller = ReadWholeFile(exe);

  const char kReady[] = "VelmoraStaysHungReady";
  TWin32Handle ready(CreateEventA(nullptr, TRUE, FALSE, kReady));
  auto hung = ui::TProcess::Start(ExecutableFolder() + "hung_window.exe", kReady);
  ASSERT_EQ(WaitForSingleObject(ready.Get(), 20000), WAIT_OBJECT_0);
  HWND hungWindow = FindWindowA("VelmoraHungWindow", nullptr);
  ASSERT_NE(hungWindow, nullptr);
  DWORD_PTR answer = 0;
  ASSERT_EQ(SendMessageTimeoutA(hungWindow, WM_NULL, 0, 0, SMTO_NORMAL, 200, &answer), 0) << "it does not answer";

  auto holder = HoldOpen(held);
  auto sharedHolder = HoldOpen(base + "Shared\\held.dat");
  // A program started in the empty folder: its current folder, which it holds.
  Put(base + "elsewhere.dat");
  const std::string event = "VelmoraUninstInLogs";
  TWin32Handle inLogs(CreateEventA(nullptr, TRUE, FALSE, event.c_str()));
  auto logsHolder = ui::TProcess::Start(ExecutableFolder() + "uninst_holder.exe",
                                        "\"" + base + "elsewhere.dat\" " + event, p + "logs");
  ASSERT_EQ(WaitForSingleObject(inLogs.Get(), 20000), WAIT_OBJECT_0);

  const DWORD start = GetTickCount();
  auto process = ui::TProcess::Start(exe, "/S");
  const int code = WaitPumping(*process, 30000);
  const DWORD elapsed = GetTickCount() - start;
  hung.reset();  // ends it
  EXPECT_EQ(code, 8) << "removed; a restart completes it";
  EXPECT_LT(elapsed, 12000u) << "the font's broadcast waited for the hung window";
  EXPECT_TRUE(FileExists(held));
  for (const std::string& gone : {other, font, exe, p + "Uninstall.ini"}) EXPECT_FALSE(FileExists(gone)) << gone;
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\VelmoraStaysTest"));
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kFontsKey, fontName));

  // The held file first, then its folder, then the folder above, after the
  // empty folder that a program holds as its current one.
  const int file = PendingIndex(held), bin = PendingIndex(p + "bin"), product = PendingIndex(p.substr(0, p.size() - 1));
  EXPECT_GE(file, 0);
  EXPECT_GT(bin, file);
  EXPECT_GT(product, bin);
  EXPECT_GE(PendingIndex(p + "logs"), 0);
  EXPECT_GT(product, PendingIndex(p + "logs"));
  EXPECT_GE(PendingIndex(base + "Shared\\held.dat"), 0);
  EXPECT_EQ(PendingIndex(base + "Shared"), -1) << "a folder holding a foreign file stays by design";
  EXPECT_TRUE(IsFolder(base + "Shared"));
  DeleteFileA(PendingDeletionOf(uninstaller).c_str());
}

// The completion page names what stayed (refused entries of a damaged log
// here: never touched, and counted) and, for the file in use, asks whether
// to restart; Finish with "restart later" ends with code 4, failures
// outweighing the restart.
TEST(Uninstaller, TheCompletionPageNamesWhatStayedAndOffersARestart) {
  TSmallProduct product("completion", 0);
  std::vector<std::string> settings = Settings(product.p, 12);
  settings[35] = "35=";  // no sentence in the log: the program's own
  std::vector<std::string> files = {product.p + "a.dat", product.p + "b.dat"};
  for (const char* refused : {"a.dat", "..\\b.dat", "C:\\x\\..\\c.dat", "d.dat", "e.dat", "f.dat", "g.dat"})
    files.push_back(refused);
  PlaceUninstaller(product.exe, product.log, {{"f", Numbered(files)}, {"e", Numbered({product.p})}, {"s", settings}},
                   {});
  const TBytes windowed = ReadWholeFile(product.exe);
  auto holder = HoldOpen(product.p + "a.dat");
  auto process = ui::TProcess::Start(product.exe, "");
  HWND window = WaitForUninstallWindow(*process);
  ASSERT_TRUE(window);
  HWND finish = RemoveToCompletionPage(window);
  ASSERT_TRUE(finish) << "the completion page";
  EXPECT_TRUE(ui::FindChild(window, "Static",
                            "7 item(s) could not be removed:\r\n    refused path a.dat\r\n    refused path ..\\b.dat\r\n"
                            "    refused path C:\\x\\..\\c.dat\r\n    refused path d.dat\r\n    refused path e.dat\r\n"
                            "    and 2 more"));
  EXPECT_TRUE(ui::FindChild(window, "Static", "Windows must be restarted to complete the removal."));
  HWND now = ui::FindChild(window, "Button", "Text 33"), later = ui::FindChild(window, "Button", "Text 34");
  ASSERT_TRUE(now && later);
  EXPECT_TRUE(ui::IsChecked(now)) << "as the setup's Finish page offers it";
  EXPECT_FALSE(ui::IsChecked(later));
  EXPECT_FALSE(ui::IsVisible(ui::FindChild(window, PROGRESS_CLASSA))) << "the question takes the bar's place";
  CreateDirectoryA((ExecutableFolder() + "screenshots").c_str(), nullptr);
  EXPECT_TRUE(ui::SaveScreenshot(window, ExecutableFolder() + "screenshots\\uninstaller-restart.bmp"));
  ui::Click(later);  // posted: answered in its turn
  for (int i = 0; i < 200 && !ui::IsChecked(later); ++i) Sleep(10);
  EXPECT_TRUE(ui::IsChecked(later));
  EXPECT_FALSE(ui::IsChecked(now)) << "one choice of two";
  ui::Click(finish);
  EXPECT_EQ(process->WaitForExit(20000), 4);
  EXPECT_TRUE(FileExists(product.p + "a.dat"));
  EXPECT_FALSE(FileExists(product.p + "b.dat"));
  EXPECT_GE(PendingIndex(product.p + "a.dat"), 0);
  DeleteFileA(PendingDeletionOf(windowed).c_str());
}

// Started with its own folder as the current one, as a double-click in
// Explorer starts it, the uninstaller still removes that folder.
TEST(Uninstaller, ItsFolderGoesThoughItWasStartedInIt) {
  TSmallProduct product("current-folder", 0);
  const TBytes uninstaller = ReadWholeFile(product.exe);
  auto process = ui::TProcess::Start(product.exe, "/S", product.p);
  EXPECT_EQ(process->WaitForExit(20000), 0);
  EXPECT_FALSE(FileExists(product.p));
  DeleteFileA(PendingDeletionOf(uninstaller).c_str());
}

// A log written by hand to reach beyond the product: relative paths, ".."
// and "." components, and folders of Windows' own that are empty. Each
// relative name exists where Windows would look for it. Only the product's
// own items go; the refused entries make the code 4.
TEST(Uninstaller, AHostileLogTouchesNothingOutsideTheProduct) {
  const std::string base = std::string(kBase) + "hostile\\", p = base + "Product\\", outside = base + "Outside\\";
  DeleteTree(base.substr(0, base.size() - 1));
  char system[MAX_PATH], windows[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string decoyName = "velmora-hostile-decoy.dat", decoy = std::string(system) + "\\" + decoyName;
  const std::string ini = std::string(windows) + "\\velmora-hostile.ini", fontName = "Velmora Hostile (TrueType)";
  const std::string fresh = std::string(windows) + "\\Temp\\velmora-hostile-fresh", component = "velmora_hostile.dll";
  const std::string record = base + "record.txt";
  Put(p + "a.dat");
  for (const std::string& file : {outside + "victim.dat", outside + "victim2.dat", outside + decoyName, decoy})
    Put(file);
  ASSERT_TRUE(CopyFileA((ExecutableFolder() + "uninst_component.dll").c_str(), (p + component).c_str(), FALSE));
  const std::string outsideIni = outside + "o.ini", iniDecoy = std::string(system) + "\\velmora-hostile.ini";
  for (const std::string& file : {ini, outsideIni, iniDecoy})
    ASSERT_TRUE(WritePrivateProfileStringA("Main", "Key", "1", file.c_str()));
  SetValue(HKEY_LOCAL_MACHINE, kFontsKey, fontName, "velmora-hostile.ttf");
  CreateDirectoryA(fresh.c_str(), nullptr);
  // Folders of the shell that a fresh prefix leaves empty.
  const std::string favorites = ShellFolder(CSIDL_FAVORITES), publicDesktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  ASSERT_TRUE(IsEmptyFolder(favorites)) << favorites;
  ASSERT_TRUE(IsEmptyFolder(publicDesktop)) << publicDesktop;
  char shortFavorites[MAX_PATH] = "";
  GetShortPathNameA(favorites.c_str(), shortFavorites, MAX_PATH);

  const std::string exe = p + "Uninstall.exe";
  PlaceUninstaller(
      exe, p + "Uninstall.ini",
      {{"f", Numbered({decoyName, ".\\" + decoyName, p + "..\\Outside\\victim.dat",
                       "C:/velmora-tests/uninst/hostile/Product/../Outside/victim2.dat", p + "a.dat", exe})},
       {"e", Numbered({favorites + ".", shortFavorites, publicDesktop + "\\", "C:\\", std::string(windows) + "\\Temp",
                       fresh, p + "..\\Outside", "..\\Outside", p})},
       {"u", Numbered({component, p + "..\\Product\\" + component})},
       {"i1", {"0=velmora-hostile.ini", "1=Main", "2=Key"}},
       {"i2", {"0=" + p + "..\\Outside\\o.ini", "1=Main", "2=Key"}},
       {"n1", {"0=" + fontName, "1=velmora-hostile.ttf"}},
       {"s", Settings(p, 20)}},
      {});
  const TBytes uninstaller = ReadWholeFile(exe);
  auto process = ui::TProcess::Start(exe, "/S", outside, {"VELMORA_UNINST_RECORD=" + record});
  EXPECT_EQ(process->WaitForExit(30000), 4) << "refused entries count as failures";

  EXPECT_FALSE(FileExists(p + "a.dat")) << "the product's own file";
  EXPECT_FALSE(FileExists(exe));
  EXPECT_FALSE(IsFolder(fresh)) << "an empty folder of the product's, inside the Windows folder";
  for (const std::string& file : {outside + "victim.dat", outside + "victim2.dat", outside + decoyName, decoy})
    EXPECT_TRUE(FileExists(file)) << file;
  EXPECT_TRUE(FileExists(p + component)) << "not listed, so its folder stays";
  EXPECT_FALSE(FileExists(record)) << "no refused component was loaded";
  for (const std::string& file : {ini, outsideIni, iniDecoy}) {
    char value[8] = "";
    GetPrivateProfileStringA("Main", "Key", "gone", value, sizeof value, file.c_str());
    EXPECT_STREQ(value, "1") << file;
  }
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kFontsKey, fontName));
  for (const std::string& folder : {favorites, publicDesktop, std::string(windows) + "\\Temp"})
    EXPECT_TRUE(IsFolder(folder)) << folder;

  // Whatever happened, the prefix keeps what it had.
  CreateDirectoryA(favorites.c_str(), nullptr);
  CreateDirectoryA(publicDesktop.c_str(), nullptr);
  CreateDirectoryA((std::string(windows) + "\\Temp").c_str(), nullptr);
  DeleteFileA(decoy.c_str());
  DeleteFileA(ini.c_str());
  DeleteFileA(iniDecoy.c_str());
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kFontsKey, fontName.c_str());
  RemoveDirectoryA(fresh.c_str());
  DeleteFileA(PendingDeletionOf(uninstaller).c_str());
}

namespace {

// What wineboot.exe was asked since the last call, when it is the recorder
// of uninst_restart_check.sh: each session's own "--init" left out.
std::vector<std::string> WinebootRequests() {
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  std::vector<std::string> requests;
  for (const char* folder : {"\\system32\\", "\\syswow64\\"}) {
    const std::string record = windows + std::string(folder) + "started.txt";
    for (const std::string& line : RecordLines(record))
      if (line.find("--init") == std::string::npos) requests.push_back(line.substr(line.find("wineboot.exe") + 12));
    DeleteFileA(record.c_str());
  }
  return requests;
}

}  // namespace

// Finish restarts Windows only with "restart now" chosen: the request Wine's
// ExitWindowsEx makes of wineboot.exe for a restart that lets programs save
// their documents. Runs in the prefix of uninst_restart_check.sh only.
TEST(UninstallerRestart, FinishWithRestartNowRestartsWindowsAndRestartLaterDoesNot) {
  if (!getenv("VELMORA_WINEBOOT_RECORDER")) GTEST_SKIP() << "needs the recording wineboot.exe of uninst_restart_check.sh";
  WinebootRequests();
  for (bool now : {false, true}) {
    TSmallProduct product(now ? "restart-now" : "restart-later", 0);
    auto holder = HoldOpen(product.p + "a.dat");
    auto process = ui::TProcess::Start(product.exe, "");
    HWND window = WaitForUninstallWindow(*process);
    ASSERT_TRUE(window);
    HWND finish = RemoveToCompletionPage(window);
    ASSERT_TRUE(finish) << "the completion page";
    HWND choice = ui::FindChild(window, "Button", now ? "Text 33" : "Text 34");
    ASSERT_TRUE(choice);
    ui::Click(choice);
    ui::Click(finish);
    EXPECT_EQ(process->WaitForExit(20000), 8) << "removed; a restart completes it";
    std::vector<std::string> requests;
    for (int i = 0; i < 100 && requests.empty(); ++i, Sleep(50)) requests = WinebootRequests();  // it runs detached
    if (now) {
      EXPECT_EQ(requests, std::vector<std::string>{" --end-session --force"});
    } else {
      EXPECT_TRUE(requests.empty()) << requests.front();
    }
  }
}
