// The installation driver's steps in their order, watched through the
// status line it writes.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>

#include "archive/setup_script.h"
#include "lang/folders.h"
#include "engine/installation.h"
#include "engine/journal.h"
#include "engine/progress.h"
#include "mksetup/script_builder.h"
#include "lang/path_constants.h"
#include "win32_support.h"

namespace {

// Remembers every report, with no window anywhere.
struct TRecordingSink : TProgressSink {
  std::vector<std::string> texts;
  std::vector<int32_t> positions;
  int32_t maximum = -1;
  bool shown = false;
  bool Shown() const override { return shown; }
  void ShowStatus(const std::string& text) override { texts.push_back(text); }
  void ShowProgress(int32_t position, int32_t max) override {
    positions.push_back(position);
    maximum = max;
  }
};

// Installs a script with no records at all, in ten steps, into sink.
void InstallEmptyScript(TRecordingSink& sink) {
  TScriptBuilder b = PermissiveScript();
  b.SetField(34, "0");  // per-file mode without files: nothing to read
  b.SetField(48, "10");
  b.SetField(56, "0");  // no uninstall information
  std::vector<std::string> messages;
  for (int m = 1; m <= 87; ++m) messages.push_back(std::to_string(m));
  b.AddLanguage("English", "1033", "", "", messages);
  TMemoryStream item(b.Serialize());
  ASSERT_TRUE(ParseScriptHeader(item));
  ASSERT_TRUE(ParseScriptSections(item));
  TInstallChoices choices;
  choices.installationFolder = "C:\\velmora-tests\\steps\\";
  RunInstallation(choices, sink);
}

}  // namespace

TEST(InstallationSteps, AnEmptyScriptStillSetsEveryFixedStatusInOrder) {
  TRecordingSink sink;
  InstallEmptyScript(sink);

  EXPECT_EQ(sink.texts, (std::vector<std::string>{"57", "51", "80", "37", "38", "60", "57", "40"}));
  EXPECT_EQ(sink.maximum, 10);
  ASSERT_FALSE(sink.positions.empty());
  EXPECT_EQ(sink.positions.front(), 0) << "the bar starts empty";
  EXPECT_EQ(sink.positions.back(), 10) << "the bar ends full";
  EXPECT_TRUE(std::is_sorted(sink.positions.begin(), sink.positions.end())) << "it never goes back";
  EXPECT_EQ(ExpandPathConstants("@$&%04"), "C:\\velmora-tests\\steps") << "the chosen folder is code 04";
}

// The full bar stays 100 ms where a person sees it; a run nobody watches
// does not wait for it.
TEST(InstallationSteps, TheFullBarIsHeldOnlyWhereItIsShown) {
  for (bool shown : {true, false}) {
    TRecordingSink sink;
    sink.shown = shown;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    InstallEmptyScript(sink);
    QueryPerformanceCounter(&end);
    const double elapsed = double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
    if (shown) EXPECT_GE(elapsed, 95.0) << "held at the end";
    else EXPECT_LT(elapsed, 95.0) << "nobody sees the bar";
  }
}

// A silent run installs with what the untouched pages would hold: the folder
// of field 58 with one trailing backslash, every shortcut box ticked, and the
// group of field 106 only where the Start Menu page is wanted (field 86).
TEST(InstallationSteps, DefaultChoicesAreWhatTheUntouchedPagesHold) {
  const struct {
    const char* folder;
    const char* startMenuPage;
    const char* expectedFolder;
    const char* expectedGroup;
  } cases[] = {{"C:\\Velmora\\Product", "1", "C:\\Velmora\\Product\\", "Velmora Group"},
               {"C:\\Velmora\\Product\\", "0", "C:\\Velmora\\Product\\", ""},
               {"@$&%04", "1", "C:\\velmora-tests\\defaults\\", "Velmora Group"}};
  const std::string before = PathState().installationFolder;
  PathState().installationFolder = "C:\\velmora-tests\\defaults\\";  // what code 04 stands for
  for (const auto& c : cases) {
    TScriptBuilder b = PermissiveScript();
    b.SetField(58, c.folder);
    b.SetField(86, c.startMenuPage);
    b.SetField(106, "Velmora Group");
    TMemoryStream item(b.Serialize());
    ASSERT_TRUE(ParseScriptHeader(item) && ParseScriptSections(item));
    const TInstallChoices choices = DefaultChoices();
    EXPECT_EQ(choices.installationFolder, c.expectedFolder) << c.folder;
    EXPECT_EQ(choices.shortcuts.group, c.expectedGroup) << c.folder;
    EXPECT_TRUE(choices.shortcuts.desktop && choices.shortcuts.startMenu && choices.shortcuts.quickLaunch);
    EXPECT_FALSE(choices.shortcuts.noShortcuts);
  }
  PathState().installationFolder = before;
}

// An undoing shows on the Progress page: its own status line, the bar running
// back to empty, and each recorded change undone, newest first.
TEST(InstallationSteps, AnUndoingRunsTheBarBackAndRemovesWhatWasMade) {
  const std::string folder = "C:\\velmora-tests\\undo";
  TRecordingSink sink;
  TProgressBinding binding(sink);
  SetProgressRange(10);
  BeginJournal();
  ASSERT_EQ(MakeFolderPath(folder + "\\a\\b"), DWORD(ERROR_SUCCESS));
  for (int i = 0; i < 6; ++i) {
    JournalNewFile(folder + "\\a\\b\\file" + std::to_string(i));
    WriteWholeFile(folder + "\\a\\b\\file" + std::to_string(i), TBytes(10, 'x'));
    StepProgress();
  }
  sink.positions.clear();
  RollBack();

  EXPECT_EQ(sink.texts.back(), "Undoing the changes...");
  ASSERT_FALSE(sink.positions.empty());
  EXPECT_TRUE(std::is_sorted(sink.positions.rbegin(), sink.positions.rend())) << "the bar only runs back";
  EXPECT_EQ(sink.positions.front(), 5) << "from where it stood";
  EXPECT_EQ(sink.positions.back(), 0) << "to empty";
  EXPECT_FALSE(FileExists(folder)) << "the files and the three folders made are gone";
  EXPECT_FALSE(JournalOpen());
}
