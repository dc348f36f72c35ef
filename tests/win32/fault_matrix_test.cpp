// The real setup.exe run unattended against damaged setups and machines that
// refuse what it installs: the exit code, what its "/LOG=" log says, and that
// damage changes nothing and a failed replacement keeps the old file.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "extraction_support.h"
#include "startup/corrupted_setup.h"
#include "startup/temp_folder.h"
#include "ui_driver.h"

namespace {

const char kRoot[] = "C:\\velmora-tests\\faults";
const char kRegistryKey[] = "Software\\VelmoraFaults";
const TBytes kOldBytes = TextBytes("the old version, which must survive");

std::string Text(const std::string& path) {
  const TBytes bytes = ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

// Windows' list of files to move or delete at its next start, one path a line.
std::string PendingRenames() {
  DWORD size = 1 << 20;
  std::vector<char> value(size + 2);
  if (RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                   "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, value.data(), &size) != ERROR_SUCCESS)
    return std::string();
  std::string text(value.data(), size);
  for (char& c : text)
    if (c == '\0') c = '\n';
  return text;
}

std::set<std::string> FolderEntries(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..") names.insert(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// A drive letter with no drive behind it ("Q:" or a later one).
std::string MissingDrive() {
  std::string drive = "Q:";
  for (char letter = 'Q'; letter <= 'Z' && GetDriveTypeA((drive + "\\").c_str()) != DRIVE_NO_ROOT_DIR; ++letter)
    drive[0] = letter;
  return drive;
}

bool RegistryValueExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  const bool found = RegQueryValueExA(key, "Installed", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return found;
}

// Three files in stored blocks (so that damage can be placed in a known
// one), a registry value, and a phase-0 command and a phase-1 command that
// leave their marks in the probe log.
TProduct ThreeFiles(bool solid) {
  TProduct product;
  product.solid = solid;
  product.compressed = false;
  AddFile(product, "@$&%04\\first.txt", MixedBytes(5000, 1));
  AddFile(product, "@$&%04\\second.bin", MixedBytes(30000, 2));
  AddFile(product, "@$&%04\\last.txt", MixedBytes(9000, 3));
  return product;
}

// Block 0 also carries a licence text and a resource behind it, so that
// damage late in block 0 comes after temporary files were written.
TSetupImage ImageWithCommands(const TProduct& product, int disks = 1, uint32_t phase1SleepMs = 0) {
  TArchiveInput input = ExtractionInput(product);
  input.resources = {{15, MixedBytes(30000, 8)}, {40, MixedBytes(30000, 9)}};
  TScriptBuilder script = ExtractionScript(product);
  script.AddRecord(kSectionRegistry, {"1", kRegistryKey, "Installed", "yes", "0", "1"});
  const std::string probe = ExecutableFolder() + "command_probe.exe";
  script.AddRecord(kSectionCommands, {"", probe, "before", "0", "0", "1"});
  script.AddRecord(kSectionCommands, {"", probe, "after " + std::to_string(phase1SleepMs), "0", "1", "1"});
  script.AddRecord(kSectionCommands, {"", probe, "last", "0", "1", "1"});
  script.SetField(40, "3");
  input.script = script.Serialize();
  if (disks <= 1) return BuildSetupImage(input);
  const uint64_t area = TrailerOf(BuildSetupImage(input).executable).dataSize;
  input.diskSize = area / uint64_t(disks) + 1;
  return BuildSetupImage(input);
}

class Faults : public ::testing::Test {
public:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }

  void Clean() {
    RemoveTree(kRoot);
    RemoveTree(kProductFolder);
    RegDeleteKeyA(HKEY_CURRENT_USER, kRegistryKey);
    ClearTemporaryFolder();
    CreateDirectoryA("C:\\velmora-tests", nullptr);
    CreateDirectoryA(kRoot, nullptr);
  }

  std::string LogPath() const { return std::string(kRoot) + "\\setup.log"; }
  std::string ProbeLog() const { return std::string(kRoot) + "\\probe.log"; }

  std::unique_ptr<ui::TProcess> Start(const TSetupImage& image, const std::string& switches, bool disks = true) {
    const std::string folder = std::string(kRoot) + "\\setup\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string setup = disks ? WriteImage(folder, image) : WriteSetup(folder, image.executable);
    return ui::TProcess::Start(setup, switches + " \"/LOG=" + LogPath() + "\"", std::string(),
                               {"VELMORA_PROBE_LOG=" + ProbeLog()});
  }

  // Runs without a single box: a box nobody answers would hang the run.
  int RunQuietly(const TSetupImage& image, const std::string& folder = kProductFolder) {
    auto process = Start(image, "/Q \"/P=" + folder + "\"");
    return process ? process->WaitForExit(120000) : -1;
  }
};

}  // namespace

TEST_F(Faults, DamagedSetupsEndWithExitCode3BeforeAnythingChanges) {
  struct TCase {
    const char* what;
    bool solid;
    std::function<void(TSetupImage&)> damage;
  } cases[] = {
      {"a download cut off in the file data", false,
       [](TSetupImage& i) { i.executable.resize(TrailerOf(i.executable).dataOffset + 100); }},
      {"a flipped byte early in block 0", true,
       [](TSetupImage& i) { i.executable[TrailerOf(i.executable).block0Offset + 20] ^= 1; }},
      {"a flipped byte in block 0's last chunk", false,
       [](TSetupImage& i) {
         const TArchiveTrailer t = TrailerOf(i.executable);
         i.executable[t.block0Offset + t.block0Length - 3] ^= 1;
       }},
      {"a flipped byte in the first file's block", false,
       [](TSetupImage& i) { i.executable[TrailerOf(i.executable).dataOffset + StoredBlockOffset(100)] ^= 1; }},
      {"a flipped byte in the last file's block", false,
       [](TSetupImage& i) {
         const TArchiveTrailer t = TrailerOf(i.executable);
         i.executable[t.dataOffset + t.dataSize - 2] ^= 1;
       }},
      {"a flipped byte at the end of the solid block", true,
       [](TSetupImage& i) {
         const TArchiveTrailer t = TrailerOf(i.executable);
         i.executable[t.dataOffset + t.dataSize - 2] ^= 1;
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    Clean();
    const TProduct product = ThreeFiles(c.solid);
    TSetupImage image = ImageWithCommands(product);
    c.damage(image);
    CreateDirectoryA(kProductFolder, nullptr);
    WriteWholeFile(std::string(kProductFolder) + "\\second.bin", kOldBytes);

    EXPECT_EQ(RunQuietly(image), 3);
    EXPECT_EQ(FolderEntries(kProductFolder), std::set<std::string>{"second.bin"});
    EXPECT_TRUE(ReadWholeFile(std::string(kProductFolder) + "\\second.bin") == kOldBytes);
    EXPECT_FALSE(RegistryValueExists());
    EXPECT_FALSE(FileExists(ProbeLog())) << "a phase-0 command ran";
    EXPECT_FALSE(FileExists(TemporaryFolder())) << "the temporary files stayed";
    const std::string log = Text(LogPath());
    EXPECT_NE(log.find("setup started: "), std::string::npos) << log;
    EXPECT_NE(log.find(std::string("ERROR ") + kCorruptedSetupText), std::string::npos) << log;
    EXPECT_NE(log.find("exit code 3"), std::string::npos) << log;
  }
}

TEST_F(Faults, ItemsThatCannotBeMadeAreLoggedAndEndWithExitCode4KeepingTheOldFiles) {
  TProduct product = ThreeFiles(false);
  AddFile(product, "@$&%04\\locked.dll", MixedBytes(20000, 4));
  AddFile(product, "@$&%04\\readonly.cfg", MixedBytes(700, 5));
  const std::string folder = kProductFolder;
  CreateDirectoryA(kProductFolder, nullptr);
  for (const char* name : {"second.bin", "locked.dll", "readonly.cfg"}) WriteWholeFile(folder + "\\" + name, kOldBytes);
  SetFileAttributesA((folder + "\\readonly.cfg").c_str(), FILE_ATTRIBUTE_READONLY);
  HANDLE holder = CreateFileA((folder + "\\locked.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);

  const int exitCode = RunQuietly(ImageWithCommands(product));
  CloseHandle(holder);
  EXPECT_EQ(exitCode, 4);
  ExpectInstalled(product.files[0], folder + "\\first.txt");
  ExpectInstalled(product.files[1], folder + "\\second.bin");  // replaced whole
  ExpectInstalled(product.files[2], folder + "\\last.txt");
  for (const char* name : {"locked.dll", "readonly.cfg"})
    EXPECT_TRUE(ReadWholeFile(folder + "\\" + name) == kOldBytes) << name;
  // The held file's new bytes wait beside it for the next start (with /Q
  // there is nobody to ask); the read-only one is a failure.
  std::set<std::string> entries = FolderEntries(folder);
  std::string waiting;
  for (const std::string& name : entries)
    if (name.rfind("new", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".tmp") waiting = name;
  ASSERT_FALSE(waiting.empty()) << "no new file waits beside locked.dll";
  EXPECT_TRUE(ReadWholeFile(folder + "\\" + waiting) == product.files[3].bytes);
  EXPECT_EQ(entries, (std::set<std::string>{"first.txt", "second.bin", "last.txt", "locked.dll", "readonly.cfg", waiting}))
      << "a temporary file was left beside them";
  EXPECT_TRUE(RegistryValueExists()) << "the run goes on after a failed item";

  const std::string log = Text(LogPath());
  EXPECT_NE(log.find("installed file C:\\Product\\second.bin (30000 bytes)"), std::string::npos) << log;
  EXPECT_NE(log.find("AT RESTART file C:\\Product\\locked.dll is in use: C:\\Product\\" + waiting), std::string::npos)
      << log;
  EXPECT_NE(log.find("FAILED file C:\\Product\\readonly.cfg: Windows error 5 ("), std::string::npos) << log;
  EXPECT_NE(log.find("installed registry value HKCU\\Software\\VelmoraFaults\\Installed = yes"), std::string::npos);
  EXPECT_NE(log.find("1 item(s) could not be installed"), std::string::npos) << log;
  EXPECT_NE(log.find("exit code 4"), std::string::npos) << log;

  // A drive that does not exist: the installation folder cannot be made, so
  // nothing is installed (not even the registry value or a command).
  const std::string drive = MissingDrive();
  DeleteFileA(LogPath().c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, kRegistryKey);
  DeleteFileA(ProbeLog().c_str());
  EXPECT_EQ(RunQuietly(ImageWithCommands(product), drive + "\\Product"), 7);
  EXPECT_NE(Text(LogPath()).find("ERROR The installation folder \"" + drive + "\\Product\" cannot be used: it cannot be made"),
            std::string::npos)
      << Text(LogPath());
  EXPECT_FALSE(RegistryValueExists());
  EXPECT_FALSE(FileExists(ProbeLog())) << "a phase-0 command ran";
}

TEST_F(Faults, UnattendedEndsWithoutABoxAMissingDiskIs5AndNoTemporaryFolderIs6) {
  const TProduct product = ThreeFiles(false);
  const TSetupImage image = ImageWithCommands(product, 2);
  ASSERT_EQ(image.disks.size(), 1u);
  auto process = Start(image, "/Q /P=C:\\Product", false);  // the disk file is not there
  ASSERT_TRUE(process);
  ASSERT_EQ(process->WaitForExit(120000), 5);
  const std::string log = Text(LogPath());
  EXPECT_NE(log.find("disk file 2 is missing"), std::string::npos) << log;
  EXPECT_NE(log.find("exit code 5"), std::string::npos) << log;
  EXPECT_FALSE(FileExists(TemporaryFolder()));

  // A temporary path that cannot be made (a file stands where a folder
  // would have to be): refused, and nothing written to the current folder.
  const std::string blocker = std::string(kRoot) + "\\not-a-folder";
  WriteWholeFile(blocker, TextBytes("x"));
  DeleteFileA(LogPath().c_str());
  const std::string work = std::string(kRoot) + "\\work";
  CreateDirectoryA(work.c_str(), nullptr);
  const std::string setup = std::string(kRoot) + "\\setup\\setup.exe";
  auto refused = ui::TProcess::Start(setup, "/Q \"/LOG=" + LogPath() + "\"", work,
                                     {"TMP=" + blocker + "\\temp", "TEMP=" + blocker + "\\temp"});
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->WaitForExit(60000), 6);
  EXPECT_NE(Text(LogPath()).find(std::string("ERROR ") + kNoTemporaryFolderText), std::string::npos)
      << Text(LogPath());
  EXPECT_TRUE(FolderEntries(work).empty()) << "temporary files written into the current folder";
}

TEST_F(Faults, AQuitWhileACommandIsWaitedForEndsAfterThatCommandWithExitCode1) {
  const TProduct product = ThreeFiles(true);
  auto process = Start(ImageWithCommands(product, 1, 3000), "/S /P=C:\\Product");
  ASSERT_TRUE(process);
  for (int i = 0; i < 600 && Text(ProbeLog()).find("start after") == std::string::npos; ++i) Sleep(50);
  ASSERT_NE(Text(ProbeLog()).find("start after"), std::string::npos) << Text(ProbeLog());
  HWND wizard = nullptr;
  for (HWND window : ui::TopLevelWindows(process->Id(), false))
    if (ui::ClassName(window) == "VelmoraSetupWizard") wizard = window;
  ASSERT_TRUE(wizard);
  // A silent run has only the wizard's hidden frame, and no use for the
  // common controls.
  EXPECT_TRUE(ui::Children(wizard).empty());
  ASSERT_TRUE(ui::LoadsModule(process->Id(), "kernel32.dll"));
  EXPECT_FALSE(ui::LoadsModule(process->Id(), "comctl32.dll"));
  PostMessageA(wizard, WM_CLOSE, 0, 0);  // silent: any close request is a quit

  EXPECT_EQ(process->WaitForExit(60000), 1);
  const std::string probes = Text(ProbeLog());
  EXPECT_NE(probes.find("end after"), std::string::npos) << "the command is waited for to its end";
  EXPECT_EQ(probes.find("start last"), std::string::npos) << "the next command ran: " << probes;
  EXPECT_NE(Text(LogPath()).find("installation stopped on request"), std::string::npos);
  EXPECT_FALSE(FileExists(TemporaryFolder()));
}

namespace {

// Everything below a folder: each path with its size, last-write time,
// attributes and bytes (hashed), so that two snapshots compare whole trees.
std::map<std::string, std::string> TreeSnapshot(const std::string& folder) {
  std::map<std::string, std::string> tree;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return tree;
  do {
    const std::string name = found.cFileName, path = folder + "\\" + name;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      tree[path + "\\"] = "folder";
      for (const auto& entry : TreeSnapshot(path)) tree.insert(entry);
      continue;
    }
    uint64_t hash = 1469598103934665603ull;
    for (uint8_t byte : ReadWholeFile(path)) hash = (hash ^ byte) * 1099511628211ull;
    tree[path] = std::to_string(found.nFileSizeLow) + " bytes, written " +
                 std::to_string(found.ftLastWriteTime.dwLowDateTime) + "/" +
                 std::to_string(found.ftLastWriteTime.dwHighDateTime) + ", attributes " +
                 std::to_string(found.dwFileAttributes) + ", hash " + std::to_string(hash);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return tree;
}

// The values of the test's registry key, each with its type and bytes.
std::map<std::string, std::string> KeySnapshot() {
  std::map<std::string, std::string> values;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return {{"", "no key"}};
  char name[256];
  BYTE data[1024];
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    values[name] = std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), dataSize);
  }
  RegCloseKey(key);
  return values;
}

struct TMachineSnapshot {
  std::map<std::string, std::string> product, registry;
};

TMachineSnapshot MachineSnapshot() { return {TreeSnapshot(kProductFolder), KeySnapshot()}; }

void ExpectSameMachine(const TMachineSnapshot& before, const TMachineSnapshot& after) {
  EXPECT_EQ(before.product, after.product) << "the product folder";
  EXPECT_EQ(before.registry, after.registry) << "the registry key";
}

}  // namespace

// An installation that cannot complete puts the machine back as it was,
// byte for byte: an older file it replaced and a registry value it wrote
// over come back, and every new file, folder and value goes.
TEST_F(Faults, AnInstallationThatEndsEarlyIsUndoneToTheLastByte) {
  struct TCase {
    const char* what;
    int exitCode;
    std::function<void(Faults&, TProduct&)> run;
  } cases[] = {
      {"a quit while the last command is waited for, after the registry value was written", 1,
       [](Faults& f, TProduct& product) {
         auto process = f.Start(ImageWithCommands(product, 1, 3000), "/S /P=C:\\Product");
         for (int i = 0; i < 600 && Text(f.ProbeLog()).find("start after") == std::string::npos; ++i) Sleep(50);
         ASSERT_TRUE(RegistryValueExists());
         ASSERT_EQ(Text(std::string(kProductFolder) + "\\second.bin").size(), 30000u) << "replaced by now";
         for (HWND window : ui::TopLevelWindows(process->Id(), false))
           if (ui::ClassName(window) == "VelmoraSetupWizard") PostMessageA(window, WM_CLOSE, 0, 0);
         EXPECT_EQ(process->WaitForExit(60000), 1);
       }},
      {"a quit confirmed on the Progress page while the files are written", 1,
       [](Faults& f, TProduct& product) {
         for (uint32_t i = 0; i < 6; ++i)
           AddFile(product, "@$&%04\\large" + std::to_string(i) + ".bin", MixedBytes(6 << 20, 20 + i));
         auto process = f.Start(ImageWithCommands(product), "/P=C:\\Product");
         HWND wizard = ui::WaitForWindow(process->Id(), [](HWND w) { return ui::ClassName(w) == "VelmoraSetupWizard"; });
         ASSERT_TRUE(wizard);
         for (int i = 0; i < 2000 && !FileExists(std::string(kProductFolder) + "\\large1.bin"); ++i) Sleep(5);
         ASSERT_TRUE(FileExists(std::string(kProductFolder) + "\\large1.bin")) << "the files are being written";
         ui::Close(wizard);
         HWND question = ui::WaitForDialog(process->Id());
         ASSERT_TRUE(question) << "the installation ended before the close request";
         ui::Click(GetDlgItem(question, IDYES));
         EXPECT_EQ(process->WaitForExit(60000), 1);
       }},
      {"damage in the third disk file, found after the first two were written", 3,
       [](Faults& f, TProduct& product) {
         TSetupImage image = ImageWithCommands(product, 3);
         ASSERT_EQ(image.disks.size(), 2u);
         image.disks[1][image.disks[1].size() - 2] ^= 1;
         EXPECT_EQ(f.RunQuietly(image), 3);
       }},
      {"an uninstall log that cannot be written (a folder stands in its place)", 8,
       [](Faults& f, TProduct& product) {
         product.uninstallInformation = true;
         TArchiveInput input = ExtractionInput(product);
         TScriptBuilder script = ExtractionScript(product);
         script.AddRecord(kSectionRegistry, {"1", kRegistryKey, "Installed", "yes", "0", "1"});
         script.AddRecord(kSectionCommands, {"", ExecutableFolder() + "command_probe.exe", "before", "0", "0", "1"});
         script.SetField(40, "1");
         script.SetField(49, "0");
         script.SetField(92, "@$&%04\\Uninstall.ini");
         input.script = script.Serialize();
         EXPECT_EQ(f.RunQuietly(BuildSetupImage(input)), 9);
         EXPECT_NE(Text(f.LogPath()).find("ERROR The uninstall log C:\\Product\\Uninstall.ini could not be written"),
                   std::string::npos);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    Clean();
    CreateDirectoryA(kProductFolder, nullptr);
    CreateDirectoryA((std::string(kProductFolder) + "\\Uninstall.ini").c_str(), nullptr);
    WriteWholeFile(std::string(kProductFolder) + "\\second.bin", kOldBytes);
    SetFileAttributesA((std::string(kProductFolder) + "\\second.bin").c_str(), FILE_ATTRIBUTE_HIDDEN);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Installed", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\x01\x02"), 2);
    RegCloseKey(key);
    const TMachineSnapshot before = MachineSnapshot();

    TProduct product = ThreeFiles(false);
    AddFile(product, "@$&%04\\sub\\deeper\\fourth.txt", MixedBytes(4000, 7));
    c.run(*this, product);
    ExpectSameMachine(before, MachineSnapshot());
    const std::string log = Text(LogPath());
    EXPECT_NE(log.find("undoing the installation's"), std::string::npos) << log;
    EXPECT_EQ(log.find("could not undo"), std::string::npos) << log;
    EXPECT_NE(log.find("not undone (a program the setup ran)"), std::string::npos) << "the log names the commands";
    EXPECT_FALSE(FileExists(TemporaryFolder()));
  }
}

// A file held open by a running program, in the wizard: the box names it;
// Retry after the holder lets go installs it, Ignore leaves the new file
// waiting beside it for Windows' next start and the Finish page offers the
// restart, Abort undoes the installation. A file that cannot even wait (its
// folder taken by a file) is named on the Finish page as a failure.
TEST_F(Faults, AFileInUseAsksRetryIgnoreOrAbortAndTheFinishPageTellsTheTruth) {
  TProduct product = ThreeFiles(false);
  AddFile(product, "@$&%04\\locked.dll", MixedBytes(20000, 4));
  TArchiveInput input = ExtractionInput(product);
  TScriptBuilder script = ExtractionScript(product);
  script.SetField(116, "1");  // the Finish page, with no restart
  for (int flag : {36, 52}) script.SetField(flag, "0");
  // Two actions, both unticked: the program was never installed, the read-me was.
  script.SetField(39, "1");
  script.SetField(43, "@$&%04\\missing.exe");
  script.SetField(44, "0");
  script.SetField(79, "1");
  script.SetField(47, "@$&%04\\first.txt");
  script.SetField(46, "0");
  input.script = script.Serialize();
  const TSetupImage image = BuildSetupImage(input);
  const std::string locked = std::string(kProductFolder) + "\\locked.dll";

  for (int answer : {IDRETRY, IDIGNORE, IDABORT}) {
    SCOPED_TRACE(answer);
    Clean();
    CreateDirectoryA(kProductFolder, nullptr);
    WriteWholeFile(locked, kOldBytes);
    const TMachineSnapshot before = MachineSnapshot();
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    auto process = Start(image, "/P=C:\\Product");
    HWND box = ui::WaitForDialog(process->Id(), 60000);
    ASSERT_TRUE(box);
    EXPECT_EQ(ui::Text(box), "File in use");
    // VELMORA_SHOTS=folder: screenshots of the box and of the Finish page for the README.
    char shots[MAX_PATH] = {};
    GetEnvironmentVariableA("VELMORA_SHOTS", shots, sizeof shots);
    if (shots[0] && answer == IDIGNORE) ui::SaveScreenshot(box, std::string(shots) + "\\file-in-use.bmp");
    EXPECT_NE(ui::MessageBoxText(box).find(locked), std::string::npos) << ui::MessageBoxText(box);
    if (answer == IDRETRY) {
      CloseHandle(holder);  // the program was closed
      holder = nullptr;
    }
    ui::Click(GetDlgItem(box, answer));
    if (answer == IDABORT) {
      EXPECT_EQ(process->WaitForExit(60000), 1);
      if (holder) CloseHandle(holder);
      ExpectSameMachine(before, MachineSnapshot());
      continue;
    }
    HWND wizard = ui::WaitForWindow(process->Id(), [](HWND w) {
      return ui::ClassName(w) == "VelmoraSetupWizard" && ui::IsEnabled(GetDlgItem(w, 11)) && ui::IsVisible(w);
    }, 60000);
    ASSERT_TRUE(wizard) << "the Finish page";
    std::string finishText;
    for (HWND control : ui::Children(wizard))
      if (ui::IsVisible(control) && ui::ClassName(control) == "Static") finishText += ui::Text(control) + "\n";
    HWND launch = ui::FindChild(wizard, "Button", "M20"), readme = ui::FindChild(wizard, "Button", "M21");
    ASSERT_TRUE(launch && readme);
    EXPECT_FALSE(ui::IsVisible(launch)) << "no program to start: it was not installed";
    EXPECT_TRUE(ui::IsVisible(readme)) << "the read-me was installed";
    HWND now = ui::FindChild(wizard, "Button", "M66"), later = ui::FindChild(wizard, "Button", "M67");
    EXPECT_EQ(now && ui::IsVisible(now), answer == IDIGNORE) << "the restart is offered when a file waits for it";
    EXPECT_EQ(finishText.find("could not be installed"), std::string::npos) << finishText;
    EXPECT_NE(finishText.find(answer == IDIGNORE ? "M79" : "M7"), std::string::npos) << finishText;
    if (answer == IDIGNORE) {
      if (shots[0]) ui::SaveScreenshot(wizard, std::string(shots) + "\\finish-with-restart.bmp");
      ASSERT_TRUE(later);
      ui::Click(later);  // never restart the test machine
    }
    ui::Click(GetDlgItem(wizard, 11));
    EXPECT_EQ(process->WaitForExit(60000), answer == IDRETRY ? 0 : 8);
    if (holder) CloseHandle(holder);
    std::set<std::string> expected = {"first.txt", "second.bin", "last.txt", "locked.dll"};
    if (answer == IDRETRY) {
      ExpectInstalled(product.files[3], locked);
    } else {
      EXPECT_TRUE(ReadWholeFile(locked) == kOldBytes);
      // The new file waits beside the old one, and Windows is asked to move it.
      std::string waiting;
      for (const std::string& name : FolderEntries(kProductFolder))
        if (!expected.count(name)) waiting = name;
      ASSERT_FALSE(waiting.empty());
      EXPECT_TRUE(ReadWholeFile(std::string(kProductFolder) + "\\" + waiting) == product.files[3].bytes);
      EXPECT_NE(Text(LogPath()).find("AT RESTART file " + locked), std::string::npos) << Text(LogPath());
      expected.insert(waiting);
      EXPECT_NE(PendingRenames().find(locked), std::string::npos) << PendingRenames();
    }
    EXPECT_EQ(FolderEntries(kProductFolder), expected) << "a kept-aside or temporary file was left";
  }
}

// "/LOG=" in a folder that does not exist yet: the folders are made. A log
// that still cannot be written (its drive does not exist) is named in one box
// (none with /Q), and the run goes on without it.
TEST_F(Faults, ALogsMissingFoldersAreMadeAndALogThatCannotBeIsNamedOnce) {
  const std::string folder = std::string(kRoot) + "\\setup\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string setup = WriteSetup(folder, BuildSetupImage(ExtractionInput(ThreeFiles(false))).executable);
  const std::string deep = std::string(kRoot) + "\\new\\deeper\\setup.log";
  auto quiet = ui::TProcess::Start(setup, "/Q \"/LOG=" + deep + "\"");
  EXPECT_EQ(quiet->WaitForExit(60000), 0);
  EXPECT_NE(Text(deep).find("exit code 0"), std::string::npos) << "the log was not kept";

  const std::string drive = MissingDrive();
  const std::string impossible = drive + "\\logs\\setup.log";
  RemoveTree(kProductFolder);
  auto silent = ui::TProcess::Start(setup, "/S \"/LOG=" + impossible + "\"");
  HWND box = ui::WaitForDialog(silent->Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(ui::Text(box), "Setup log");
  EXPECT_NE(ui::MessageBoxText(box).find("The log file " + impossible + " cannot be written"), std::string::npos)
      << ui::MessageBoxText(box);
  ui::Click(GetDlgItem(box, IDOK));
  EXPECT_EQ(silent->WaitForExit(60000), 0) << "the run goes on without its log";
  EXPECT_TRUE(FileExists(std::string(kProductFolder) + "\\last.txt"));

  RemoveTree(kProductFolder);
  auto unattended = ui::TProcess::Start(setup, "/Q \"/LOG=" + impossible + "\"");
  EXPECT_EQ(unattended->WaitForExit(60000), 0) << "no box waits with /Q";
  EXPECT_TRUE(FileExists(std::string(kProductFolder) + "\\last.txt"));
}
