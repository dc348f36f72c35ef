// The installation folder and program group a person may choose.
#include <gtest/gtest.h>

#include "engine/choice_rules.h"

namespace {

const std::string k255(255, 'n');

TEST(ChoiceRules, FoldersThatCanAndCannotTakeTheInstallation) {
  struct TCase {
    std::string folder;
    size_t tail;
    const char* reason;  // nullptr: usable
  } cases[] = {
      {"C:\\Program Files\\Velmora", 20, nullptr},
      {"c:\\velmora\\", 20, nullptr},
      {"D:\\", 20, nullptr},
      {"\\\\server\\share\\apps\\Velmora", 20, nullptr},
      {"\\\\server\\share", 20, nullptr},
      {"C:\\" + k255, 0, nullptr},
      {"cstuff\\app", 20, "not a full path"},
      {"C:app", 20, "not a full path"},
      {"\\Program Files\\Velmora", 20, "not a full path"},
      {"\\\\server", 20, "not a full path"},
      {"\\\\\\share", 20, "not a full path"},
      {"", 20, "not a full path"},
      {"\\", 20, "not a full path"},
      {"1:\\app", 20, "not a full path"},
      {"C:\\apps\\Velm?ra", 20, "a character that a name cannot hold"},  // a letter the code page lacks
      {"C:\\apps\\a<b", 20, "a character that a name cannot hold"},
      {"C:\\apps\\a|b", 20, "a character that a name cannot hold"},
      {"C:\\apps\\a:b", 20, "a character that a name cannot hold"},
      {"C:\\apps/velmora", 20, "a character that a name cannot hold"},
      {"C:\\apps\\a\tb", 20, "a character that a name cannot hold"},
      {"C:\\apps\\\\velmora", 20, "an empty name"},
      {"C:\\" + k255 + "n", 0, "longer than 255 characters"},
      {"C:\\" + std::string(200, 'a') + "\\" + std::string(40, 'b'), 14, nullptr},  // 259 in all
      {"C:\\" + std::string(200, 'a') + "\\" + std::string(40, 'b'), 15, "(260 characters, where Windows takes 259)"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.folder);
    const std::string problem = FolderProblem(c.folder, c.tail);
    if (!c.reason) {
      EXPECT_EQ(problem, "");
      continue;
    }
    EXPECT_EQ(problem.rfind("The installation folder \"" + c.folder + "\" cannot be used: ", 0), 0u) << problem;
    EXPECT_NE(problem.find(c.reason), std::string::npos) << problem;
  }
}

TEST(ChoiceRules, ProgramGroups) {
  EXPECT_EQ(GroupProblem("Velmora Sample", 100), "");
  EXPECT_EQ(GroupProblem("Velmora\\Sample Tools", 100), "") << "a group inside a group";
  EXPECT_EQ(GroupProblem(std::string(159, 'g'), 100), "") << "259 in all";
  for (const char* bad : {"Velmora <beta>", "a|b", "a:b", "what?", "a*", "a\"b", "a/b"})
    EXPECT_NE(GroupProblem(bad, 100).find("a character that a name cannot hold"), std::string::npos) << bad;
  for (const char* empty : {"", "\\Velmora", "Velmora\\", "a\\\\b"})
    EXPECT_NE(GroupProblem(empty, 100), "") << empty;
  EXPECT_NE(GroupProblem(std::string(160, 'g'), 100).find("too long"), std::string::npos);
  EXPECT_NE(GroupProblem(k255 + "g", 1).find("longer than 255"), std::string::npos);
}

}  // namespace
