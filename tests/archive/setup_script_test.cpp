#include "archive/setup_script.h"

#include <gtest/gtest.h>

#include "archive/header_check.h"
#include "archive/script_text.h"
#include "mksetup/script_builder.h"
#include "test_support.h"

namespace {

bool Parse(const TBytes& bytes) {
  TMemoryStream item(bytes);
  return ParseScriptHeader(item) && ParseScriptSections(item);
}

TBytes Fields(const std::vector<std::string>& fields) {
  TBytes out;
  for (const std::string& f : fields) {
    out.insert(out.end(), f.begin(), f.end());
    out.push_back(0);
  }
  return out;
}

}  // namespace

TEST(ScriptText, IntegersAndFlagsFollowTheScriptRules) {
  EXPECT_EQ(TextInt("-11"), -11);
  EXPECT_EQ(TextInt("+5"), 5);
  EXPECT_EQ(TextInt("12ab"), 12);
  EXPECT_EQ(TextInt("ab"), 0);
  EXPECT_EQ(TextInt(" 7"), 0);
  EXPECT_EQ(TextInt(""), 0);
  EXPECT_EQ(TextInt("-"), 0);
  EXPECT_EQ(TextInt("4294967297"), 1) << "wraps around in 32 bits";
  EXPECT_EQ(TextInt("2147483648"), INT32_MIN);
  EXPECT_TRUE(TextFlag(""));
  EXPECT_FALSE(TextFlag("0"));
  EXPECT_TRUE(TextFlag(" 0"));
  EXPECT_TRUE(TextFlag("00"));
  EXPECT_EQ(UpperAscii("/p=c:\\Äb"), "/P=C:\\ÄB") << "only a to z change";
}

TEST(SetupScript, SectionsFollowTheHeaderInOrderWithTheirCounts) {
  TScriptBuilder b;
  b.SetField(65, "Title");
  b.AddRecord(kSectionRegistryVariables, {"1", "Software\\Key", "Value", "default"});
  b.AddRecord(kSectionRegistry, {"1", "Software\\Velmora", "Name", "data", "0", "1", "1"});
  b.AddRecord(kSectionFiles, {"@$&%04\\a.txt", "0", "125911584000000000", "1", "32"});
  b.AddRecord(kSectionCommands, {"", "first.exe", "", "1", "0", "1"});
  b.AddRecord(kSectionCommands, {"", "second.exe", "", "1", "1", "0"});
  b.AddUninstallCommand({"", "undo.exe", "/quiet", "0", "0", "1"});
  b.AddLanguage("English", "1033", "", "", {"m1", "m2"});
  b.AddLanguage("Deutsch", "1031", "20", "21", std::vector<std::string>(87, "de"));
  ASSERT_TRUE(Parse(b.Serialize()));

  EXPECT_EQ(FieldText(65), "Title");
  EXPECT_EQ(FieldInt(40), 2);
  EXPECT_EQ(FieldInt(25), 1);
  EXPECT_EQ(SectionCount(kSectionCommands), 3u);
  EXPECT_EQ(Script().sections[kSectionCommands].fields.size(), 18u);
  EXPECT_EQ(SectionField(kSectionCommands, 1, 1), "second.exe");
  EXPECT_EQ(SectionField(kSectionCommands, 2, 1), "undo.exe") << "uninstall commands follow";
  EXPECT_EQ(SectionField(kSectionRegistryVariables, 0, 3), "default");
  EXPECT_EQ(SectionField(kSectionRegistry, 0, 1), "Software\\Velmora");
  EXPECT_EQ(SectionField(kSectionFiles, 0, 2), "125911584000000000");
  EXPECT_EQ(SectionCount(kSectionFonts), 0u);
  EXPECT_TRUE(Script().sections[kSectionFonts].fields.empty()) << "a zero count takes no fields";
  EXPECT_EQ(SectionField(kSectionLanguages, 1, 0), "Deutsch");

  // Messages are held behind an empty entry 0: 1 + 87 x languages entries.
  const auto& messages = Script().sections[kSectionMessages].fields;
  ASSERT_EQ(messages.size(), 1u + 2 * 87);
  EXPECT_EQ(messages[0], "");
  EXPECT_EQ(messages[1], "m1");
  EXPECT_EQ(messages[3], "");
  EXPECT_EQ(messages[88], "de");
  EXPECT_EQ(SectionField(kSectionMessages, 0, 1), "m2");

  // Lookups outside what the script holds are empty, never out of bounds.
  EXPECT_EQ(SectionField(kSectionRegistry, 1, 0), "");
  EXPECT_EQ(SectionField(kSectionRegistry, 0, 7), "");
  EXPECT_EQ(FieldText(121), "");
  EXPECT_EQ(FieldText(-1), "");
}

TEST(SetupScript, WorkedExampleShapeEndsWithTheLastByte) {
  TScriptBuilder b;
  for (int i = 0; i < 5; ++i) b.AddRecord(kSectionRegistry, {"1", "k", "v", "d", "0", "0", "0"});
  b.AddRecord(kSectionShortcuts, {"0", "link"});
  for (int i = 0; i < 18; ++i) b.AddRecord(kSectionFiles, {"f" + std::to_string(i)});
  for (int i = 0; i < 8; ++i) b.AddLanguage("L" + std::to_string(i), "1033", "", "", std::vector<std::string>(87, "x"));
  TBytes bytes = b.Serialize();
  TMemoryStream item(bytes);
  ASSERT_TRUE(ParseScriptHeader(item));
  ASSERT_TRUE(ParseScriptSections(item));
  EXPECT_EQ(Script().totalFields, 982u);
  EXPECT_EQ(Script().readPosition, bytes.size());
}

TEST(SetupScript, AShortScriptReadsEmptyFields) {
  std::vector<std::string> fields(50, "x");
  fields[49] = "7";
  ASSERT_TRUE(Parse(Fields(fields)));
  EXPECT_EQ(FieldText(49), "7");
  EXPECT_EQ(FieldText(100), "");
  EXPECT_EQ(FieldInt(100), 0);
  EXPECT_TRUE(FieldFlag(100));
  // A last field without its NUL ends at the end of the item.
  TBytes unterminated = Fields({"a", "b"});
  unterminated.push_back('c');
  ASSERT_TRUE(Parse(unterminated));
  EXPECT_EQ(FieldText(2), "c");
  EXPECT_EQ(Script().totalFields, 3u);
}

TEST(SetupScript, CountsTheScriptCannotHoldAreCorrupted) {
  std::vector<std::string> header(121, "0");
  header[50] = "3";  // 21 fields of registry entries, fewer in the script
  std::vector<std::string> fields = header;
  ASSERT_TRUE(Parse(Fields(fields))) << "missing fields of a plausible count read as empty";
  EXPECT_EQ(SectionField(kSectionRegistry, 2, 6), "");

  header[50] = "1000";  // more fields than the whole script has
  EXPECT_FALSE(Parse(Fields(header)));
  header[50] = "0";
  header[98] = "2147483647";  // registry variables, read with the header
  TMemoryStream item(Fields(header));
  EXPECT_FALSE(ParseScriptHeader(item));
  header[98] = "0";
  header[26] = "99999999";  // 87 fields per language: 64-bit arithmetic, still refused
  EXPECT_FALSE(Parse(Fields(header)));

  header[26] = "-5";  // a negative count reads 0
  header[40] = "-1";
  header[25] = "1";
  fields = header;
  for (int i = 0; i < 6; ++i) fields.push_back("u" + std::to_string(i));
  ASSERT_TRUE(Parse(Fields(fields)));
  EXPECT_EQ(SectionCount(kSectionLanguages), 0u);
  EXPECT_EQ(SectionCount(kSectionCommands), 1u);
  EXPECT_EQ(SectionField(kSectionCommands, 0, 1), "u1");
}

TEST(SetupScript, ReplacedHeaderFieldsAreSeenEverywhere) {
  ASSERT_TRUE(Parse(Fields({"builder"})));
  SetFieldText(58, "C:\\Product");
  SetFieldText(200, "ignored");
  EXPECT_EQ(FieldText(58), "C:\\Product");
  EXPECT_EQ(FieldText(0), "builder");
}

TEST(HeaderCheck, CoversEveryByteButItsOwnField) {
  TScriptBuilder b;
  b.SetField(0, "builder");
  b.AddRecord(kSectionFolders, {"@$&%04\\Velmora", "1"});
  b.AddLanguage("English", "1033", "", "", {"Welcome"});
  TBytes bytes = b.Serialize();
  ASSERT_TRUE(Parse(bytes));
  EXPECT_EQ(FieldText(35), HeaderCheckText(Script().headerCheck));
  EXPECT_EQ(FieldText(35).size(), 8u);

  // Any other byte changed: the value no longer matches.
  for (size_t at : {size_t(0), bytes.size() / 2, bytes.size() - 2}) {
    TBytes changed = bytes;
    changed[at] ^= 0x01;
    if (changed[at] == 0) continue;
    ASSERT_TRUE(Parse(changed));
    EXPECT_NE(FieldText(35), HeaderCheckText(Script().headerCheck)) << at;
  }
  // A value set by hand is kept, so tests can make a wrong one.
  b.SetField(35, "00000000");
  ASSERT_TRUE(Parse(b.Serialize()));
  EXPECT_EQ(FieldText(35), "00000000");
  EXPECT_NE(Script().headerCheck, 0u);
}
