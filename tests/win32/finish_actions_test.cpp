// The finish actions, run in this process on a loaded script. What they
// start are copies of command_probe, which log how they were started; a
// document type and a URL scheme of the test's own open with one of them.
// The restart is checked in a Wine prefix of its own (restart_check.sh).
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "extraction_support.h"
#include "lang/finish_actions.h"
#include "lang/path_constants.h"

namespace {

constexpr char kFolder[] = "C:\\velmora-tests\\finish\\";

// The launch, read-me, web page and restart boxes, in that order.
TFinishChoices Chosen(const char* boxes) {
  TFinishChoices choices;
  choices.launch = boxes[0] == '1';
  choices.readme = boxes[1] == '1';
  choices.website = boxes[2] == '1';
  choices.restartNow = boxes[3] == '1';
  return choices;
}

// Header flags 39, 79, 36 and 52, and the targets 43, 47 and 37.
void LoadScript(const char* flags, const std::string& program) {
  TScriptBuilder script;
  const int flagFields[] = {39, 79, 36, 52};
  for (int i = 0; i < 4; ++i) script.SetField(flagFields[i], std::string(1, flags[i]));
  script.SetField(43, program);
  script.SetField(47, "@$&%04\\docs\\read me.velmoradoc");
  script.SetField(37, "velmora-test:welcome/@$&%21");
  TMemoryStream item(script.Serialize());
  Script() = TSetupScript();
  ASSERT_TRUE(ParseScriptHeader(item));
}

void SetClassesText(const std::string& key, const char* name, const std::string& value) {
  // Wine's shell reads HKEY_CLASSES_ROOT only, not the user's Software\Classes.
  RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(), DWORD(value.size() + 1));
}

class Finish : public ::testing::Test {
protected:
  void SetUp() override {
    savedScript_ = Script();
    savedState_ = PathState();
    GetCurrentDirectoryA(sizeof savedFolder_, savedFolder_);
    RemoveTree(DropTrailingBackslash(kFolder));
    FreshFolder("finish");
    PathState().installationFolder = DropTrailingBackslash(kFolder);
    PathState().languageName = "Deutsch";
    for (const char* folder : {"My Product", "docs", "elsewhere"}) CreateDirectoryA(In(folder).c_str(), nullptr);
    // "My.exe" is what an unquoted "...\My Product\product.exe" starts.
    const std::string probe = ExecutableFolder() + "command_probe.exe";
    for (const char* copy : {"My Product\\product.exe", "My.exe", "viewer.exe"})
      ASSERT_TRUE(CopyFileA(probe.c_str(), In(copy).c_str(), FALSE));
    for (const char* document : {"docs\\read me.velmoradoc", "My Product\\guide.velmoradoc"})
      ASSERT_TRUE(WriteWholeFile(In(document), TextBytes("text")));
    const std::string viewer = "\"" + In("viewer.exe") + "\" \"%1\"";
    SetClassesText(".velmoradoc", nullptr, "VelmoraFinishDocument");
    SetClassesText("VelmoraFinishDocument\\shell\\open\\command", nullptr, viewer);
    SetClassesText("velmora-test", nullptr, "URL:Velmora test page");
    SetClassesText("velmora-test", "URL Protocol", "");
    SetClassesText("velmora-test\\shell\\open\\command", nullptr, viewer);
    SetEnvironmentVariableA("VELMORA_PROBE_LOG", In("probe.log").c_str());
  }
  void TearDown() override {
    for (const char* key : {".velmoradoc", "VelmoraFinishDocument", "velmora-test"})
      RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
    SetCurrentDirectoryA(savedFolder_);
    SetEnvironmentVariableA("VELMORA_PROBE_LOG", nullptr);
    RemoveTree(DropTrailingBackslash(kFolder));
    Script() = savedScript_;
    PathState() = savedState_;
  }

  static std::string In(const std::string& relative) { return kFolder + relative; }

  // command_probe's "start TAG | folder=F | show=N | exe=E" lines, upper-cased,
  // the test folder cut out, sorted (the programs run side by side).
  static std::vector<std::string> Starts() {
    const TBytes bytes = ReadWholeFile(In("probe.log"));
    std::string text = UpperAscii(std::string(bytes.begin(), bytes.end()));
    const std::string folder = UpperAscii(kFolder);
    for (size_t at; (at = text.find(folder)) != std::string::npos;) text.erase(at, folder.size());
    std::vector<std::string> starts;
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
      if (text.compare(at, 6, "START ") == 0) starts.push_back(text.substr(at, end - at));
    std::sort(starts.begin(), starts.end());
    return starts;
  }

private:
  TSetupScript savedScript_;
  TPathState savedState_;
  char savedFolder_[MAX_PATH] = {};
};

TEST_F(Finish, EachActionStartsWhatItNamesInItsFolderOnlyWithItsFlagAndBox) {
  const std::string program = "@$&%04\\My Product\\product.exe";
  struct TCase {
    const char* flags;  // 39, 79, 36, 52
    const char* boxes;
    std::string program;
    const char* currentFolder;
    std::vector<std::string> starts;
  } const cases[] = {
      // The program quoted, in its folder; then the read-me in its own.
      {"1100", "1100", program, "elsewhere",
       {"START  | FOLDER=MY PRODUCT | SHOW=5 | EXE=MY PRODUCT\\PRODUCT.EXE",
        "START DOCS\\READ ME.VELMORADOC | FOLDER=DOCS | SHOW=5 | EXE=VIEWER.EXE"}},
      // What WinExec cannot start opens through its association.
      {"1000", "1000", "@$&%04\\My Product\\guide.velmoradoc", "elsewhere",
       {"START MY PRODUCT\\GUIDE.VELMORADOC | FOLDER=MY PRODUCT | SHOW=5 | EXE=VIEWER.EXE"}},
      // A launch that fails stops nothing; the web page keeps the current folder.
      {"1010", "1010", "@$&%04\\gone\\product.exe", "elsewhere",
       {"START VELMORA-TEST:WELCOME/DEUTSCH | FOLDER=ELSEWHERE | SHOW=5 | EXE=VIEWER.EXE"}},
      // Flag without box or box without flag: nothing. (A restart here
      // would end this prefix's session: restart_check.sh has those.)
      {"0000", "1110", program, "elsewhere", {}},
      {"1110", "0000", program, "elsewhere", {}},
      {"0110", "1000", program, "elsewhere", {}},
      {"1000", "0110", program, "elsewhere", {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string("flags ") + c.flags + ", boxes " + c.boxes + ", program " + c.program);
    DeleteFileA(In("probe.log").c_str());
    ASSERT_TRUE(SetCurrentDirectoryA(In(c.currentFolder).c_str()));
    LoadScript(c.flags, c.program);
    RunFinishActions(Chosen(c.boxes));
    // Nothing is waited for: wait for the expected starts, and a moment
    // more for any that should not come.
    for (int i = 0; i < 200 && Starts().size() < c.starts.size(); ++i) Sleep(50);
    Sleep(400);
    std::vector<std::string> expected = c.starts;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Starts(), expected);
  }
}

}  // namespace
