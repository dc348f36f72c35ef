#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <map>

#include "archive/setup_script.h"
#include "startup/os_class.h"
#include "test_support.h"

using Args = std::vector<std::string>;

TEST(CommandLine, SplitsAtControlCharactersAndSpacesKeepingQuotedStretches) {
  EXPECT_EQ(SplitCommandLine("a  b\tc\x01" "d"), (Args{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitCommandLine("\"/P=C:\\Program Files\\X\" /S"), (Args{"/P=C:\\Program Files\\X", "/S"}));
  EXPECT_EQ(SplitCommandLine("/P=\"C:\\Program Files\\X\""), (Args{"/P=\"C:\\Program Files\\X\""}))
      << "quotes that do not wrap the whole argument stay";
  EXPECT_EQ(SplitCommandLine("a \"\" b"), (Args{"a", "b"})) << "an empty pair of quotes is skipped";
  EXPECT_EQ(SplitCommandLine("\""), (Args{"\""}));
  EXPECT_EQ(SplitCommandLine("  "), Args{});
  EXPECT_EQ(ArgumentsOf("\"C:\\My Setup\\setup.exe\" /S"), (Args{"/S"}));
}

class Switches : public ::testing::Test {
protected:
  void SetUp() override {
    TMemoryStream empty;
    ParseScriptHeader(empty);
  }
  TRunFlags Apply(const Args& arguments) {
    TRunFlags flags;
    ApplySwitches(arguments, flags, [](const std::string& s) { return "<" + s + ">"; });
    return flags;
  }
};

TEST_F(Switches, MatchInAnyLetterCaseAndKeepValuesAsTyped) {
  TRunFlags flags = Apply({"/s", "/nc", "/sp", "/nr", "/g=My Group", "/l=eng"});
  EXPECT_TRUE(flags.silent);
  EXPECT_TRUE(flags.noCancel);
  EXPECT_EQ(FieldText(107), "0");
  EXPECT_EQ(FieldText(63), "0");
  EXPECT_EQ(FieldText(106), "My Group");
  EXPECT_EQ(flags.requestedLanguage, "eng");
}

TEST_F(Switches, IgnoreLongerWordsAndLetTheLastOccurrenceWin) {
  TRunFlags flags = Apply({"/SX", "/SILENT", "/NCX", "/P=C:\\A", "/p=D:\\B", "/G=x", "/G="});
  EXPECT_FALSE(flags.silent);
  EXPECT_FALSE(flags.noCancel);
  EXPECT_EQ(FieldText(58), "<D:\\B>") << "the /P= value passes through the folder normalisation";
  EXPECT_EQ(FieldText(106), "") << "an empty value sets the empty text";
  EXPECT_EQ(FieldText(63), "") << "untouched fields stay";
}

TEST_F(Switches, UnattendedSwitchesAreReadBeforeTheArchiveAndAgainWithTheRest) {
  const Args arguments = {"/q", "/log=C:\\Logs\\My Setup.log", "/LOGX"};
  TRunFlags early;
  ApplyUnattendedSwitches(arguments, early);
  EXPECT_TRUE(early.quiet);
  EXPECT_FALSE(early.silent) << "silence is the script's and the later switches' business";
  EXPECT_EQ(early.logPath, "C:\\Logs\\My Setup.log");
  TRunFlags flags = Apply(arguments);
  EXPECT_TRUE(flags.silent && flags.quiet) << "/Q acts as /S";
  EXPECT_EQ(flags.logPath, early.logPath);
  EXPECT_FALSE(Apply({"/S"}).quiet) << "/S alone keeps its boxes";
}

TEST(CommandLine, TestModeIsOnlyTheExactFirstArgument) {
  EXPECT_TRUE(IsTestMode({"test"}));
  EXPECT_TRUE(IsTestMode({"test", "/S"}));
  EXPECT_FALSE(IsTestMode({"TEST"}));
  EXPECT_FALSE(IsTestMode({"/S", "test"}));
  EXPECT_FALSE(IsTestMode({}));
}

TEST(CommandLine, FolderNormalisationTakesTheFileSystemSpellingOfExistingParts) {
  std::map<std::string, std::string> disk = {{"C:\\PROGRA~1", "Program Files"},
                                             {"C:\\Program Files\\velmora", "Velmora"}};
  auto lookup = [&](const std::string& path) {
    auto it = disk.find(path);
    return it == disk.end() ? std::string() : it->second;
  };
  EXPECT_EQ(NormaliseFolder("C:\\PROGRA~1\\velmora\\New Folder", lookup), "C:\\Program Files\\Velmora\\New Folder");
  EXPECT_EQ(NormaliseFolder("C:\\PROGRA~1\\", lookup), "C:\\Program Files") << "a trailing backslash is dropped";
  EXPECT_EQ(NormaliseFolder("C:\\", lookup), "C:\\");
  EXPECT_EQ(NormaliseFolder("\\\\server\\share\\x", lookup), "\\\\server\\share\\x");
  EXPECT_EQ(NormaliseFolder("", lookup), "");
}

TEST(OsClass, FollowsTheVersionTable) {
  auto nt = [](uint32_t major, uint32_t minor) { return major | minor << 8; };
  auto w95 = [](uint32_t major, uint32_t minor) { return major | minor << 8 | 0x80000000u; };
  EXPECT_EQ(OsClassFromVersion(w95(3, 95)), 0);
  EXPECT_EQ(OsClassFromVersion(w95(4, 0)), 1);
  EXPECT_EQ(OsClassFromVersion(w95(4, 10)), 2);
  EXPECT_EQ(OsClassFromVersion(w95(4, 89)), 2);
  EXPECT_EQ(OsClassFromVersion(w95(4, 90)), 3);
  EXPECT_EQ(OsClassFromVersion(nt(4, 0)), 4);
  EXPECT_EQ(OsClassFromVersion(nt(5, 0)), 5);
  EXPECT_EQ(OsClassFromVersion(nt(5, 1)), 6);
  EXPECT_EQ(OsClassFromVersion(nt(5, 2)), 7);
  EXPECT_EQ(OsClassFromVersion(nt(6, 0)), 8);
  EXPECT_EQ(OsClassFromVersion(nt(10, 0)), 8);

  // Mask 239 refuses NT 4.0 and Vista and later; mask 0 refuses all.
  for (uint8_t osClass = 0; osClass <= 8; ++osClass) {
    EXPECT_EQ(OsAllowedFor(osClass, 239), osClass != 4 && osClass != 8) << int(osClass);
    EXPECT_FALSE(OsAllowedFor(osClass, 0));
  }
  EXPECT_TRUE(OsAllowedFor(8, 0x10100)) << "only the low 16 bits count";
  EXPECT_FALSE(OsAllowedFor(16, -1));
}
