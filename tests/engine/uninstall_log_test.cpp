#include "engine/uninstall_log.h"

#include <gtest/gtest.h>

#include "archive/setup_script.h"
#include "mksetup/script_builder.h"

namespace {

void Load(const TScriptBuilder& builder) {
  TMemoryStream item(builder.Serialize());
  ASSERT_TRUE(ParseScriptHeader(item));
  ASSERT_TRUE(ParseScriptSections(item));
}

// Path constants stand for "<nn>" here, so that expansion is visible.
TUninstallLogInput Input(std::vector<std::string> files = {}) {
  TUninstallLogInput input;
  input.files = std::move(files);
  input.installationFolder = "C:\\Product\\";
  input.expand = [](const std::string& text) {
    std::string out = text;
    for (size_t at; (at = out.find("@$&%")) != std::string::npos;) out.replace(at, 6, "<" + out.substr(at + 4, 2) + ">");
    return out;
  };
  input.message = [](int m) { return "M" + std::to_string(m); };
  return input;
}

// The part of the log before its [s] section.
std::string Head(const std::string& log) { return log.substr(0, log.find("[s]\r\n")); }

std::string Settings(const std::string& log) { return log.substr(log.find("[s]\r\n")); }

}  // namespace

TEST(UninstallLog, WithoutFlaggedRecordsKeepsItsSectionsAndZeroCounts) {
  TScriptBuilder b;
  b.SetField(27, "Brand @$&%04");
  for (int f : {49, 60, 64, 66, 68, 69, 70, 71, 72, 73, 74, 75, 78, 80, 81, 97, 108}) b.SetField(f, "F" + std::to_string(f));
  b.AddRecord(kSectionFolders, {"@$&%04\\kept", "0"});
  Load(b);
  const std::string expected =
      "[f]\r\n[e]\r\n[u]\r\n[s]\r\n"
      "0=M63\r\n1=M64\r\n2=M65\r\n3=M68\r\n4=M69\r\n5=M70\r\n6=M71\r\n7=M72\r\n8=M73\r\n9=M74\r\n10=M75\r\n"
      "11=M76\r\n12=M77\r\n13=M78\r\n14=M24\r\n15=M25\r\n16=M41\r\n17=Brand <04>\r\n18=C:\\Product\\\r\n"
      "19=F60\r\n20=F70\r\n21=F71\r\n22=F81\r\n23=F80\r\n24=F75\r\n25=F64\r\n26=F97\r\n27=F108\r\n28=F68\r\n"
      "29=F74\r\n30=M81\r\n31=F49\r\n32=F66\r\n33=M66\r\n34=M67\r\n35=\r\n36=\r\n37=0\r\n38=0\r\n39=0\r\n40=1\r\n"
      "41=0\r\n42=0\r\n43=0\r\n44=0\r\n45=0\r\n46=0\r\n47=1\r\n48=F69\r\n49=F72\r\n50=F73\r\n51=F78\r\n";
  EXPECT_EQ(ComposeUninstallLog(Input()), expected);
}

TEST(UninstallLog, NumbersOnlyTheFlaggedRecordsWhereTheFormatSaysSo) {
  TScriptBuilder b;
  b.AddRecord(kSectionFolders, {"@$&%04\\a", "1"});
  b.AddRecord(kSectionFolders, {"@$&%04\\b", "0"});
  b.AddRecord(kSectionFolders, {"@$&%04\\c", "1"});
  b.AddRecord(kSectionUninstallerRecords, {"@$&%04 stored", "@$&%04 expanded"});
  b.AddRecord(kSectionComponents, {"@$&%04\\one.dll", "0"});
  b.AddRecord(kSectionComponents, {"@$&%04\\two.dll", "1"});
  b.AddRecord(kSectionIni, {"@$&%04\\first.ini", "S1", "K1", "v", "0", "0"});
  b.AddRecord(kSectionIni, {"@$&%04\\second.ini", "S2", "K2", "v", "0", "1"});
  b.AddRecord(kSectionRegistry, {"1", "Software\\A", "x", "d", "0", "1", "1"});
  b.AddRecord(kSectionRegistry, {"1", "Software\\B", "y", "d", "0", "1", "0"});
  b.AddRecord(kSectionRegistry, {"2", "Software\\C", "a=b", "d", "0", "1", "1"});
  b.AddRecord(kSectionUninstallRegistry, {"@$&%04", "Software\\U1", ""});
  b.AddRecord(kSectionUninstallRegistry, {"2", "Software\\U2", "v"});
  b.AddRecord(kSectionCommands, {"note", "install.exe", "", "1", "0", "0"});  // an install command: not logged
  b.AddUninstallCommand({"", "first.exe", "-x=1", "1", "0", "1"});
  b.AddUninstallCommand({"", "after.exe", "", "0", "1", "0"});
  b.AddUninstallCommand({"", "second.exe", "", "5", "0", "0"});
  b.AddRecord(kSectionFonts, {"Velmora Sans (TrueType)", "@$&%15\\velmora.ttf"});
  Load(b);
  const std::string log = ComposeUninstallLog(Input({"C:\\Product\\a.txt", "C:\\Links\\Run.lnk"}));
  const std::string expected =
      "[f]\r\n1=C:\\Product\\a.txt\r\n2=C:\\Links\\Run.lnk\r\n"
      "[e]\r\n1=<04>\\a\r\n2=<04>\\c\r\n"
      "[o1]\r\n0=@$&%04 stored\r\n1=<04> expanded\r\n"
      "[u]\r\n1=<04>\\two.dll\r\n"
      "[i1]\r\n0=<04>\\second.ini\r\n1=S2\r\n2=K2\r\n"
      "[r1]\r\n0=1\r\n1=Software\\A\r\n2=x\r\n"
      "[r2]\r\n0=2\r\n1=Software\\C\r\n2=a=b\r\n"
      "[r3]\r\n0=@$&%04\r\n1=Software\\U1\r\n2=\r\n"
      "[r4]\r\n0=2\r\n1=Software\\U2\r\n2=v\r\n"
      "[b1]\r\n0=first.exe\r\n1=-x=1\r\n2=1\r\n3=1\r\n"
      "[a1]\r\n0=after.exe\r\n1=\r\n2=0\r\n3=0\r\n"
      "[b2]\r\n0=second.exe\r\n1=\r\n2=5\r\n3=0\r\n"
      "[n1]\r\n0=Velmora Sans (TrueType)\r\n1=<15>\\velmora.ttf\r\n";
  EXPECT_EQ(Head(log), expected);
  // Counts: [e] 2, fonts 1, [f] 2, folders 3, [o] 1, [u] 1, [r] 4, [i] 1, [b] 2, [a] 1;
  // total = 3 + 2 + 2 + 1 + 1 + 1 + 4 + 1 + 2 + 1.
  const std::string s = Settings(log);
  for (const char* line : {"37=2\r\n", "38=1\r\n", "39=2\r\n", "40=3\r\n", "41=1\r\n", "42=1\r\n", "43=4\r\n",
                           "44=1\r\n", "45=2\r\n", "46=1\r\n", "47=18\r\n"})
    EXPECT_NE(s.find(std::string("\n") + line), std::string::npos) << line;
}

// An upgrade writes its log over the earlier version's: what the earlier one
// lists and the new one lacks is kept (compared case-insensitively, a
// trailing backslash ignored), renumbered after the new entries; its
// commands are not. The folders the installation made are listed once.
TEST(UninstallLog, KeepsWhatAnEarlierVersionListedAndTheFoldersMade) {
  TScriptBuilder b;
  b.AddRecord(kSectionFolders, {"@$&%04", "1"});
  b.AddRecord(kSectionComponents, {"@$&%04\\new.dll", "1"});
  b.AddRecord(kSectionIni, {"@$&%04\\a.ini", "S", "K", "v", "0", "1"});
  b.AddRecord(kSectionRegistry, {"1", "Software\\P", "Version", "2.2", "0", "1", "1"});
  b.AddRecord(kSectionFonts, {"New Sans", "@$&%15\\new.ttf"});
  Load(b);
  TUninstallLogInput input = Input({"C:\\Product\\a.exe", "C:\\Product\\sub\\b.dat", "C:\\Product\\a.exe"});
  input.foldersMade = {"C:\\Apps", "C:\\Apps\\Product", "<04>", "C:\\Product\\sub", ""};
  input.previous = ParseUninstallLog(
      "[f]\r\n1=c:\\product\\A.EXE\r\n2=C:\\Product\\dropped.dll\r\n3=\r\n"
      "[e]\r\n1=C:\\Product\\sub\\\r\n2=C:\\Product\\old\r\n"
      "[u]\r\n1=C:\\Product\\old.dll\r\n"
      "[i1]\r\n0=<04>\\A.INI\r\n1=s\r\n2=k\r\n[i2]\r\n0=<04>\\a.ini\r\n1=S\r\n2=Old\r\n"
      "[r1]\r\n0=1\r\n1=Software\\P\r\n2=Version\r\n[r2]\r\n0=1\r\n1=Software\\P\r\n2=Dropped\r\n"
      "[b1]\r\n0=old-before.exe\r\n1=\r\n2=1\r\n3=1\r\n"
      "[n1]\r\n0=Old Sans\r\n1=C:\\Fonts\\old.ttf\r\n[s]\r\n0=old text\r\n");
  const std::string log = ComposeUninstallLog(input);
  const std::string expected =
      "[f]\r\n1=C:\\Product\\a.exe\r\n2=C:\\Product\\sub\\b.dat\r\n3=C:\\Product\\dropped.dll\r\n"
      "[e]\r\n1=<04>\r\n2=C:\\Apps\r\n3=C:\\Apps\\Product\r\n4=C:\\Product\\sub\r\n5=C:\\Product\\old\r\n"
      "[u]\r\n1=<04>\\new.dll\r\n2=C:\\Product\\old.dll\r\n"
      "[i1]\r\n0=<04>\\a.ini\r\n1=S\r\n2=K\r\n"
      "[i2]\r\n0=<04>\\a.ini\r\n1=S\r\n2=Old\r\n"
      "[r1]\r\n0=1\r\n1=Software\\P\r\n2=Version\r\n"
      "[r2]\r\n0=1\r\n1=Software\\P\r\n2=Dropped\r\n"
      "[n1]\r\n0=New Sans\r\n1=<15>\\new.ttf\r\n[n2]\r\n0=Old Sans\r\n1=C:\\Fonts\\old.ttf\r\n";
  EXPECT_EQ(Head(log), expected);
  const std::string s = Settings(log);
  for (const char* line : {"37=5\r\n", "39=3\r\n", "42=2\r\n", "43=2\r\n", "44=2\r\n"})
    EXPECT_NE(s.find(std::string("\n") + line), std::string::npos) << line;
  EXPECT_EQ(s.find("old text"), std::string::npos) << "the settings are the new version's";
}

TEST(UninstallLog, TrailerEndsWithTheLengthsAReaderStartsFrom) {
  const std::string trailer = UninstallerTrailer("BMxyz", "C:\\P\\Uninstall.ini");
  ASSERT_EQ(trailer.size(), 5u + 4u + 18u + 2u);
  EXPECT_EQ(trailer.substr(0, 5), "BMxyz");
  EXPECT_EQ(trailer.substr(5, 4), std::string("\x05\x00\x00\x00", 4));
  EXPECT_EQ(trailer.substr(9, 18), "C:\\P\\Uninstall.ini");
  EXPECT_EQ(trailer.substr(27), std::string("\x12\x00", 2));
  EXPECT_EQ(UninstallerTrailer("", "x"), std::string("\0\0\0\0x\x01\0", 7)) << "no picture: N = 0";
}
