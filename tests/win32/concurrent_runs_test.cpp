// Setups of the real setup.exe running at the same time. A run is held in
// the middle of its installation by a phase-0 command that never ends
// (hung_window), until the test ends that program.
#include <gtest/gtest.h>

#include <map>

#include "mksetup/description.h"
#include "setup_runner.h"
#include "startup/single_instance.h"
#include "ui_driver.h"

namespace {

const char kRoot[] = "C:\\velmora-tests\\concurrent";
const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string UserTemp() {
  char path[MAX_PATH + 1] = {};
  GetTempPathA(sizeof path, path);
  return path;
}

// Every "$inst..." in the user's temporary folder: name, and whether a folder.
std::map<std::string, bool> InstEntries() {
  std::map<std::string, bool> entries;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((UserTemp() + "$inst*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do entries[found.cFileName] = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  while (FindNextFileA(search, &found));
  FindClose(search);
  return entries;
}

struct TProductSetup {
  std::string path, folder;
  std::map<std::string, TBytes> files;
};

// A per-file setup (each file gathered in the staging file) from named
// description lines, held by a phase-0 command that signals the event `hold`.
TProductSetup BuildProduct(const std::string& name, const std::string& lines, const std::string& hold,
                           int files, size_t size) {
  TProductSetup product{"", std::string(kRoot) + "\\" + name, {}};
  std::string text = "install folder = " + product.folder + "\n" + lines + "[command]\nprogram = " +
                     ExecutableFolder() + "hung_window.exe\nparameters = " + hold + "\nphase = 0\n";
  for (int i = 0; i < files; ++i) {
    const std::string file = "part" + std::to_string(i) + ".bin";
    text += "[file]\nsource = " + file + "\ntarget = {install}\\" + file + "\n";
    TBytes& bytes = product.files[file] = TBytes(size);
    uint32_t x = uint32_t(i + 1) * 7919u + uint8_t(name[0]);  // incompressible: slow to write
    for (uint8_t& b : bytes) b = uint8_t((x = x * 1664525u + 1013904223u) >> 24);
  }
  text += "[archive]\nmode = per-file\n[file blocks]\npreset = 0\n";
  TDescription description = ParseDescription(text, name + ".setup", "", [&](const std::string& path) {
    const auto found = product.files.find(path);
    if (found == product.files.end()) return std::optional<std::string>();
    return std::optional<std::string>(std::string(found->second.begin(), found->second.end()));
  });
  description.archive.stub = ReadWholeFile(ExecutableFolder() + "setup.exe");
  const TBytes executable = BuildSetupImage(description.archive).executable;
  product.path = WriteSetup(FreshFolder("concurrent\\" + name + "-setup"), executable);
  return product;
}

std::string Text(const std::string& path) {
  const TBytes bytes = ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

bool HasKey(const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

// Ends the hung_window programs the held setups started; returns how many.
size_t ReleaseHeldRuns() {
  size_t released = 0;
  while (HWND window = FindWindowA("VelmoraHungWindow", nullptr)) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process || !TerminateProcess(process, 0) || WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) break;
    CloseHandle(process);
    ++released;
  }
  return released;
}

class ConcurrentRuns : public ::testing::Test {
protected:
  void SetUp() override { Clean(); }
  void TearDown() override {
    ReleaseHeldRuns();
    Clean();
  }
  void Clean() {
    RemoveTree(kRoot);
    for (const auto& [name, folder] : InstEntries()) {
      if (folder) RemoveTree(UserTemp() + name);
      else DeleteFileA((UserTemp() + name).c_str());
    }
    for (const char* key : {"VelmoraConcurrent", "VelmoraAlpha"})
      RegDeleteKeyA(HKEY_CURRENT_USER, (kUninstall + key).c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VelmoraConcurrent");
    CreateDirectoryA("C:\\velmora-tests", nullptr);
    CreateDirectoryA(kRoot, nullptr);
  }
  // Starts a setup and waits until its phase-0 command holds it.
  std::unique_ptr<ui::TProcess> StartHeld(const TProductSetup& product, const std::string& hold) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, hold.c_str());
    auto process = ui::TProcess::Start(product.path, "/Q");
    EXPECT_EQ(WaitForSingleObject(event, 60000), DWORD(WAIT_OBJECT_0)) << product.path << " was not held";
    CloseHandle(event);
    return process;
  }
  void ExpectInstalled(const TProductSetup& product) {
    for (const auto& [name, bytes] : product.files)
      EXPECT_TRUE(ReadWholeFile(product.folder + "\\" + name) == bytes) << product.folder << "\\" << name;
  }
};

}  // namespace

TEST_F(ConcurrentRuns, ASecondSetupOfTheSameProductEndsWith10AndChangesNothing) {
  // Two setups of one product: another title and version, the same
  // installed-programs key, which the second names only in its uninstall
  // registry section, spelt in other letters.
  const TProductSetup first = BuildProduct("first", "product = Velmora Concurrent\n[registry]\nroot = HKCU\nkey = " +
      kUninstall + "VelmoraConcurrent\nname = DisplayName\ndata = Velmora Concurrent\n", "VelmoraFirst", 3, 1 << 20);
  const TProductSetup second = BuildProduct("second", "product = Velmora Concurrent Update\n"
      "[registry]\nroot = HKCU\nkey = Software\\VelmoraConcurrent\nname = Version\ndata = 1.1\n"
      "[uninstall registry]\nroot = HKCU\nkey = SOFTWARE\\microsoft\\Windows\\CurrentVersion\\Uninstall\\"
      "VELMORACONCURRENT\nname = DisplayName\n", "VelmoraSecond", 2, 1 << 16);
  auto held = StartHeld(first, "VelmoraFirst");
  ASSERT_TRUE(held);
  const std::map<std::string, bool> heldFolder = {{"$inst", true}};
  EXPECT_EQ(InstEntries(), heldFolder);

  const std::string log = std::string(kRoot) + "\\second.log";
  EXPECT_EQ(RunProgram(second.path, "/Q \"/LOG=" + log + "\""), 10);
  EXPECT_NE(Text(log).find("Another setup of VELMORACONCURRENT is already running."), std::string::npos) << Text(log);
  // /S shows the box, captioned with the title.
  auto silent = ui::TProcess::Start(second.path, "/S");
  ASSERT_TRUE(silent);
  HWND box = ui::WaitForDialog(silent->Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(ui::Text(box), "Velmora Concurrent Update Setup");
  EXPECT_EQ(ui::MessageBoxText(box), "Another setup of VELMORACONCURRENT is already running. Wait until it has "
                                     "finished, then start this one again.");
  ui::Click(GetDlgItem(box, IDOK));
  EXPECT_EQ(silent->WaitForExit(20000), 10);
  EXPECT_FALSE(FileExists(second.folder));
  EXPECT_FALSE(HasKey("Software\\VelmoraConcurrent"));
  EXPECT_EQ(InstEntries(), heldFolder) << "their own temporary folders gone, the held run's kept";

  EXPECT_EQ(ReleaseHeldRuns(), 1u) << "no command of the second setup ran";
  EXPECT_EQ(held->WaitForExit(60000), 0);
  ExpectInstalled(first);
  EXPECT_TRUE(HasKey(kUninstall + "VelmoraConcurrent"));
  // Once the first has ended, the second runs.
  auto later = StartHeld(second, "VelmoraSecond");
  ASSERT_TRUE(later);
  ReleaseHeldRuns();
  EXPECT_EQ(later->WaitForExit(60000), 0);
  ExpectInstalled(second);
  EXPECT_TRUE(InstEntries().empty());
}

TEST_F(ConcurrentRuns, DifferentProductsInstallSideBySideEachInAFolderOfItsOwn) {
  // Names taken already: a file "$inst" and somebody's folder "$inst1".
  const std::string temp = UserTemp();
  ASSERT_TRUE(WriteWholeFile(temp + "$inst", TBytes{'n', 'o', 't', ' ', 'o', 'u', 'r', 's'}));
  ASSERT_TRUE(CreateDirectoryA((temp + "$inst1").c_str(), nullptr));
  ASSERT_TRUE(WriteWholeFile(temp + "$inst1\\1.tmp", TBytes{'x'}));
  // Alpha is named by its installed-programs key, Beta by its title.
  const TProductSetup alpha = BuildProduct("alpha", "product = Velmora Alpha\n[registry]\nroot = HKCU\nkey = " +
      kUninstall + "VelmoraAlpha\nname = DisplayName\ndata = Alpha\n", "VelmoraAlpha", 4, 3 << 20);
  const TProductSetup beta = BuildProduct("beta", "product = Velmora Beta\n", "VelmoraBeta", 4, 3 << 20);
  auto a = StartHeld(alpha, "VelmoraAlpha");
  auto b = StartHeld(beta, "VelmoraBeta");
  ASSERT_TRUE(a && b);
  EXPECT_EQ(InstEntries(), (std::map<std::string, bool>{{"$inst", false}, {"$inst1", true}, {"$inst2", true},
                                                         {"$inst3", true}}));
  // Both go on at once, each through its own staging file.
  EXPECT_EQ(ReleaseHeldRuns(), 2u);
  EXPECT_EQ(a->WaitForExit(120000), 0);
  EXPECT_EQ(b->WaitForExit(120000), 0);
  ExpectInstalled(alpha);
  ExpectInstalled(beta);
  EXPECT_EQ(InstEntries(), (std::map<std::string, bool>{{"$inst", false}, {"$inst1", true}}));
  EXPECT_EQ(Text(temp + "$inst"), "not ours");
  EXPECT_EQ(Text(temp + "$inst1\\1.tmp"), "x");

  // Beta's title names it: a run holding that mutex keeps it from starting.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, InstanceMutexName("Velmora Beta Setup").c_str());
  EXPECT_EQ(RunProgram(beta.path, "/Q"), 10);
  CloseHandle(mutex);
}
