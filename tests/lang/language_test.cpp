#include <gtest/gtest.h>

#include "archive/setup_script.h"
#include "lang/language_choice.h"
#include "lang/messages.h"
#include "lang/path_constants.h"
#include "mksetup/script_builder.h"
#include "startup/dotnet_version.h"

namespace {

std::vector<std::string> Block(const std::string& prefix) {
  std::vector<std::string> messages;
  for (int m = 1; m <= 87; ++m) messages.push_back(prefix + std::to_string(m));
  return messages;
}

struct TLanguageRecord {
  std::string name, id, licence = "", information = "";
};

void LoadLanguages(const std::vector<TLanguageRecord>& records) {
  TScriptBuilder b;
  for (const auto& r : records) b.AddLanguage(r.name, r.id, r.licence, r.information, Block(r.name + ":"));
  TMemoryStream item(b.Serialize());
  ASSERT_TRUE(ParseScriptHeader(item));
  ASSERT_TRUE(ParseScriptSections(item));
}

}  // namespace

TEST(Messages, SelectingTheSecondOfThreeLanguagesCopiesOnlyItsBlock) {
  LoadLanguages({{"A", "1"}, {"B", "2"}, {"C", "3"}});
  EXPECT_EQ(MessageText(1), "A:1") << "the first language is current after reading";
  ASSERT_TRUE(ApplyLanguageChoice(1));
  const auto& entries = Script().sections[kSectionMessages].fields;
  ASSERT_EQ(entries.size(), 262u);
  for (int m = 1; m <= 87; ++m) {
    EXPECT_EQ(entries[size_t(m)], entries[size_t(87 + m)]);
    EXPECT_EQ(entries[size_t(174 + m)], "C:" + std::to_string(m)) << "other blocks stay";
  }
  EXPECT_EQ(MessageText(87), "B:87");
  EXPECT_EQ(MessageText(0), "");
  EXPECT_EQ(MessageText(88), "") << "only 1..87 are messages";
  EXPECT_EQ(PathState().languageName, "B");
}

TEST(Messages, EscapeOnlyTheFirstAmpersand) {
  EXPECT_EQ(EscapeAmpersand("Launch Salt & Pepper"), "Launch Salt && Pepper");
  EXPECT_EQ(EscapeAmpersand("A & B & C"), "A && B & C");
  EXPECT_EQ(EscapeAmpersand("none"), "none");
}

TEST(LanguageChoice, RequestedLanguageIsTheLastRecordContainingIt) {
  LoadLanguages({{"English", "1033"}, {"English (UK)", "2057"}, {"Deutsch", "1031"}});
  EXPECT_EQ(MatchRequestedLanguage("eng"), 1);
  EXPECT_EQ(MatchRequestedLanguage("DEUTSCH"), 2);
  EXPECT_EQ(MatchRequestedLanguage("fr"), -1);
  EXPECT_EQ(MatchRequestedLanguage(""), -1);
}

TEST(LanguageChoice, DefaultFollowsTheUserLanguageThenEnglishThenTheFirst) {
  LoadLanguages({{"English (US)", "1033"}, {"Russian", "1049"}, {"Russian 2", "1049"}, {"English", ""}});
  EXPECT_EQ(DefaultLanguageIndex(1049), 2) << "the last match wins";
  EXPECT_EQ(DefaultLanguageIndex(1031), 3) << "then the record named exactly English";
  EXPECT_EQ(DefaultLanguageIndex(0), 3) << "an empty identifier never matches";
  LoadLanguages({{"English (US)", "1031"}, {"english", "66569"}});
  EXPECT_EQ(DefaultLanguageIndex(2057), 0) << "no match and no record named exactly English";
  EXPECT_EQ(DefaultLanguageIndex(1033), 1) << "compared as 16-bit numbers: 66569 is 1033";
}

TEST(LanguageChoice, TextNumbersDefaultTo15And16AndMustFitAByte) {
  LoadLanguages({{"A", "1", "", ""}, {"B", "2", "20", "50"}, {"C", "3", "256", ""}});
  ASSERT_TRUE(ApplyLanguageChoice(0));
  EXPECT_EQ(LanguageState().licenceText, 15);
  EXPECT_EQ(LanguageState().informationText, 16);
  ASSERT_TRUE(ApplyLanguageChoice(1));
  EXPECT_EQ(LanguageState().licenceText, 20);
  EXPECT_EQ(LanguageState().informationText, 50);
  EXPECT_FALSE(ApplyLanguageChoice(2)) << "a text number above 255 is a corrupted setup";
}

TEST(DotNetVersion, NumbersReadAsTheSetupComparesThem) {
  EXPECT_DOUBLE_EQ(ReadVersionNumber("2.0.50727"), 2.0);
  EXPECT_DOUBLE_EQ(ReadVersionNumber("1.1"), 1.1);
  EXPECT_DOUBLE_EQ(ReadVersionNumber("3.5"), 3.5);
  EXPECT_DOUBLE_EQ(ReadVersionNumber("1.5e1"), 15.0);
  EXPECT_DOUBLE_EQ(ReadVersionNumber("25E-1x"), 2.5);
  EXPECT_DOUBLE_EQ(ReadVersionNumber("-1.2"), -1.2);
  EXPECT_DOUBLE_EQ(ReadVersionNumber("4 .0x5"), 4.05) << "other characters are skipped";
  EXPECT_DOUBLE_EQ(ReadVersionNumber(""), 0.0);
  const std::string names[] = {"v1.0", "v1.1", "v2.0.50727", "Upgrades", "standards", "V3.5", "v4"};
  EXPECT_DOUBLE_EQ(HighestPolicyVersion(names, 5), 2.0);
  EXPECT_DOUBLE_EQ(HighestPolicyVersion(names, 7), 3.5) << "v4 has no '.' and is ignored";
  EXPECT_DOUBLE_EQ(HighestPolicyVersion(names, 0), 0.0);
}
