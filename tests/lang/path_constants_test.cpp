#include "lang/path_constants.h"

#include <gtest/gtest.h>

namespace {

// A machine whose folders are "<code>" and whose short forms are upper case.
std::string Expand(const std::string& text) {
  auto folder = [](uint8_t code) {
    std::string text;
    if (StateFolderForCode(code, text)) return DropTrailingBackslash(text);
    return "F" + std::to_string(code);
  };
  auto shortPath = [](const std::string& path) { return path.empty() ? path : "S(" + path + ")"; };
  return ExpandWith(text, folder, shortPath);
}

}  // namespace

TEST(PathConstants, ReadTwoCharactersAsSignAndDigitsModulo256) {
  EXPECT_EQ(ReadFolderCode("04"), 4);
  EXPECT_EQ(ReadFolderCode("4x"), 4);
  EXPECT_EQ(ReadFolderCode("ab"), 0);
  EXPECT_EQ(ReadFolderCode("00"), 0);
  EXPECT_EQ(ReadFolderCode("-1"), 255);
  EXPECT_EQ(ReadFolderCode("5\\"), 5);
  EXPECT_EQ(ReadFolderCode(""), 0);
}

TEST(PathConstants, ReplaceEveryMarkerWithItsTwoCharacters) {
  PathState() = TPathState{};
  PathState().installationFolder = "C:\\Games\\X\\";
  EXPECT_EQ(Expand("@$&%04\\@$&%04"), "C:\\Games\\X\\C:\\Games\\X");
  EXPECT_EQ(Expand("@$&%5\\file.txt"), "F5file.txt") << "code 5 read from '5\\', six characters replaced";
  EXPECT_EQ(Expand("a@$&%abb@$&%00c"), "abc");
  EXPECT_EQ(Expand("end@$&%"), "end") << "a marker at the very end";
  EXPECT_EQ(Expand("end@$&%0"), "end");
  EXPECT_EQ(Expand("@$&%-1x"), "x") << "255 has no meaning";
  EXPECT_EQ(Expand("@$&%44"), "S(C:\\Games\\X)") << "41..80: the short form of code - 40";
  EXPECT_EQ(Expand("@$&%81"), "") << "no registry variables";
  EXPECT_EQ(Expand("no marker @$& here"), "no marker @$& here");
  EXPECT_EQ(Expand("@$&%02@$&%40@$&%41"), "F2F40S(F1)");
}

TEST(PathConstants, ExpansionsAreScannedAgainAndBounded) {
  PathState() = TPathState{};
  PathState().registryVariables = {"@$&%02\\sub\\", "loop @$&%82", "x"};
  EXPECT_EQ(Expand("@$&%81"), "F2\\sub") << "a marker brought in by a value is expanded too";
  // The second variable brings its own marker back: the replacements stop
  // at the bound and the last marker stays.
  std::string result = Expand("@$&%82");
  EXPECT_EQ(result.find("@$&%82"), result.size() - 6);
  EXPECT_EQ(result.size(), size_t(kMaxPathReplacements) * 5 + 6);
  PathState() = TPathState{};
}
