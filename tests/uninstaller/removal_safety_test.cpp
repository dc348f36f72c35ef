// What a hostile or damaged uninstall log cannot make the uninstaller do,
// and how a removal's end is reported.
#include <gtest/gtest.h>

#include <new>

#include "engine/uninstall_log_parser.h"
#include "startup/exit_codes.h"
#include "uninstaller/removal_paths.h"
#include "uninstaller/removal_plan.h"
#include "uninstaller/removal_result.h"

TEST(RemovalPaths, OnlyFullPathsWithoutDotComponents) {
  const struct {
    const char* path;
    bool full;
  } cases[] = {
      {"C:\\P\\a.dat", true},
      {"c:/P/a.dat", true},
      {"Z:\\", true},
      {"C:\\P\\\\a.dat", true},
      {"C:\\P\\file.name.ext", true},
      {"C:\\P\\.hidden", true},
      {"C:\\P\\..x", true},
      {"\\\\server\\share\\P\\a.dat", true},
      {"//server/share/a.dat", true},
      {"\\\\server\\share", true},
      {"a.dat", false},
      {"P\\a.dat", false},
      {"C:a.dat", false},
      {"C:", false},
      {"1:\\a.dat", false},
      {"\\P\\a.dat", false},
      {"/P/a.dat", false},
      {"", false},
      {"C:\\P\\..\\..\\Windows\\win.ini", false},
      {"C:\\P\\.\\a.dat", false},
      {"C:\\P\\..", false},
      {"C:/P/../x", false},
      {"C:\\P\\...\\x", false},
      {"C:\\P\\. \\x", false},
      {"C:\\P\\.. ", false},
      {"\\\\server", false},
      {"\\\\server\\", false},
      {"\\\\\\server\\share\\x", false},
      {"\\\\server\\\\share\\x", false},
      {"\\\\.\\PhysicalDrive0", false},
      {"\\\\?\\C:\\Windows", false},
      {"\\\\server\\share\\..\\other\\x", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsFullProductPath(c.path), c.full) << c.path;
}

TEST(RemovalPaths, ProtectedFoldersWhateverTheirSpelling) {
  const std::vector<std::string> kept = {"C:\\WINDOWS", "C:\\Program Files\\", "C:\\PROGRA~1",
                                         "C:\\Users\\Pat\\Start Menu\\Programs", "\\\\server\\share\\Common"};
  const struct {
    const char* folder;
    bool kept;
  } cases[] = {
      {"C:\\Windows", true},
      {"c:\\windows\\", true},
      {"C:/Windows//", true},
      {"C:\\\\Windows", true},
      {"C:\\Windows.", true},
      {"C:\\Windows. .\\", true},
      {"C:\\progra~1", true},
      {"C:\\Program Files", true},
      {"C:\\users\\pat\\start menu\\programs\\", true},
      {"\\\\SERVER\\share\\common", true},
      {"C:\\", true},
      {"d:", true},
      {"D:/", true},
      {"\\\\server\\share\\", true},
      {"", true},
      {"C:\\Windows\\Temp\\Product", false},
      {"C:\\Program Files\\Product", false},
      {"C:\\Windowsx", false},
      {"D:\\Windows", false},
      {"C:\\Users\\Pat\\Start Menu\\Programs\\Product", false},
      {"\\\\server\\share\\Product", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsProtectedFolder(c.folder, kept), c.kept) << c.folder;
  EXPECT_FALSE(IsProtectedFolder("C:\\Anything", {""})) << "an empty entry of the list protects nothing";
}

namespace {

std::string Log(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

}  // namespace

// Every entry of a log that was written by hand to reach outside the
// product: each is refused in its place or left out, none reaches a step
// that acts on it, and the product's own entries still do.
TEST(RemovalPlan, HostileEntriesAreRefusedAndProtectedFoldersLeftOut) {
  const TUninstallLog log = ParseUninstallLog(Log({
      "[f]", "1=C:\\P\\a.dat", "2=..\\..\\boot.ini", "3=C:\\P\\..\\..\\Windows\\win.ini", "4=system.ini",
      "5=C:/P/./b.dat", "6=\\\\server\\share\\P\\c.dat",
      "[e]", "1=C:\\P", "2=C:\\Windows\\", "3=C:\\", "4=..", "5=C:\\Program Files", "6=C:\\P\\..\\Windows",
      "7=c:/windows/temp", "8=C:\\Windows\\Temp\\Fresh",
      "[u]", "1=comp.dll", "2=C:\\P\\comp.dll",
      "[n1]", "0=Font A", "1=fonta.ttf",
      "[n2]", "0=Font B", "1=",
      "[n3]", "0=Font C", "1=C:\\Windows\\Fonts\\c.ttf",
      "[i1]", "0=win.ini", "1=Main", "2=Key",
      "[i2]", "0=C:\\P\\..\\p.ini", "1=Main", "2=Key",
      "[i3]", "0=C:\\P\\p.ini", "1=Main", "2=Key",
      "[b1]", "0=relative.exe", "1=", "2=0", "3=0",
      "[s]", "0=x",
  }));
  const std::vector<std::string> kept = {"C:\\Windows", "C:\\Program Files", "C:\\Windows\\Temp"};
  const std::vector<TRemovalStep> plan = BuildRemovalPlan(log, "C:\\P\\u.ini", kept);
  std::vector<std::string> acted, refused;
  for (const TRemovalStep& step : plan) {
    if (step.kind == TStepKind::Refused) refused.push_back(step.path);
    else if (step.kind != TStepKind::RunCommand && step.kind != TStepKind::DeleteLog)
      acted.push_back(step.path.empty() ? step.Detail().fontName : step.path);
  }
  EXPECT_EQ(acted, (std::vector<std::string>{"C:\\P\\comp.dll", "Font B", "C:\\Windows\\Fonts\\c.ttf", "C:\\P\\a.dat",
                                             "\\\\server\\share\\P\\c.dat", "C:\\P\\p.ini",
                                             "C:\\Windows\\Temp\\Fresh", "C:\\P"}));
  EXPECT_EQ(refused, (std::vector<std::string>{"comp.dll", "fonta.ttf", "..\\..\\boot.ini",
                                               "C:\\P\\..\\..\\Windows\\win.ini", "system.ini", "C:/P/./b.dat",
                                               "win.ini", "C:\\P\\..\\p.ini", "C:\\P\\..\\Windows", ".."}));
  EXPECT_EQ(plan.front().kind, TStepKind::RunCommand) << "commands are taken as written";
  EXPECT_EQ(plan.front().path, "relative.exe");
  for (const TRemovalStep& step : plan) {
    if (step.kind == TStepKind::Refused) {
      EXPECT_EQ(step.detail, nullptr) << "nothing else of it is kept";
    }
  }
}

TEST(RemovalPlan, ItemsAreNamedAsTheSetupsReportNamesThem) {
  const TUninstallLog log = ParseUninstallLog(Log({
      "[f]", "1=C:\\P\\a.dat", "2=a.dat", "[e]", "1=C:\\P", "[u]", "1=C:\\P\\c.dll",
      "[n1]", "0=Sans", "1=", "[i1]", "0=C:\\P\\p.ini", "1=Main", "2=Key",
      "[r1]", "0=1", "1=Software\\P", "2=Path", "[r2]", "0=9", "1=K", "2=",
      "[b1]", "0=C:\\P\\stop.exe", "1=/q", "[s]",
  }));
  std::vector<std::string> names;
  for (const TRemovalStep& step : BuildRemovalPlan(log, "C:\\P\\u.ini")) names.push_back(ItemName(step));
  EXPECT_EQ(names, (std::vector<std::string>{"command C:\\P\\stop.exe /q", "component C:\\P\\c.dll", "font Sans",
                                             "file C:\\P\\a.dat", "refused path a.dat",
                                             "INI entry C:\\P\\p.ini [Main] Key",
                                             "registry value HKCU\\Software\\P\\Path", "registry value root 9\\K\\",
                                             "uninstall log C:\\P\\u.ini", "folder C:\\P"}));
}

TEST(RemovalResult, ExitCodesAndTheAccountOfItemsLeft) {
  const struct {
    TRemovalEnd end;
    int failures, scheduled, code;
  } cases[] = {
      {TRemovalEnd::Completed, 0, 0, kExitOk},
      {TRemovalEnd::Completed, 0, 2, kExitRestartNeeded},
      {TRemovalEnd::Completed, 1, 0, kExitWithErrors},
      {TRemovalEnd::Completed, 1, 3, kExitWithErrors},
      {TRemovalEnd::Stopped, 1, 3, kExitUserCancelled},
      {TRemovalEnd::Stopped, 0, 0, kExitUserCancelled},
  };
  for (const auto& c : cases) {
    TRemovalResult result;
    result.end = c.end;
    for (int i = 0; i < c.failures; ++i) result.Failed("item");
    result.scheduled = c.scheduled;
    EXPECT_EQ(ExitCodeOf(result), c.code) << c.failures << " failed, " << c.scheduled << " scheduled";
  }
  TRemovalResult result;
  EXPECT_EQ(FailuresText(result), "");
  result.Failed("file C:\\P\\a.dat");
  EXPECT_EQ(FailuresText(result), "1 item(s) could not be removed:\r\n    file C:\\P\\a.dat");
  for (int i = 2; i <= 5; ++i) result.Failed("file " + std::to_string(i));
  EXPECT_EQ(FailuresText(result).find("more"), std::string::npos) << "five are all named";
  for (int i = 6; i <= 8; ++i) result.Failed("file " + std::to_string(i));
  EXPECT_EQ(result.firstFailures.size(), 5u);
  EXPECT_EQ(FailuresText(result),
            "8 item(s) could not be removed:\r\n    file C:\\P\\a.dat\r\n    file 2\r\n    file 3\r\n    file 4\r\n"
            "    file 5\r\n    and 3 more");
}

namespace {

int g_reports = 0;
void CountReport() { ++g_reports; }

}  // namespace

TEST(RemovalResult, RunningOutOfMemoryEndsWithCode6AndOneReport) {
  g_reports = 0;
  EXPECT_EQ(RunReportingOutOfMemory([] { return 9; }, CountReport), 9);
  EXPECT_EQ(g_reports, 0);
  EXPECT_EQ(RunReportingOutOfMemory([]() -> int { throw std::bad_alloc(); }, CountReport), kExitCannotRun);
  EXPECT_EQ(g_reports, 1);
  EXPECT_EQ(RunReportingOutOfMemory([]() -> int { throw std::bad_array_new_length(); }, CountReport), kExitCannotRun)
      << "an array length that overflows is out of memory too";
  EXPECT_EQ(g_reports, 2);
}
