// The uninstaller's portable part: reading the uninstall log and the
// trailer, and the removal plan made from the log.
#include <gtest/gtest.h>

#include <initializer_list>

#include "toolkit/memory_stream.h"
#include "uninstaller/registry_key_path.h"
#include "uninstaller/removal_plan.h"
#include "engine/uninstall_log_parser.h"
#include "uninstaller/uninstaller_options.h"
#include "uninstaller/uninstaller_trailer.h"

namespace {

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

using TEntries = std::vector<std::pair<std::string, std::string>>;

}  // namespace

TEST(UninstallLogReader, SectionsAndEntriesInFileOrder) {
  const TUninstallLog log = ParseUninstallLog(
      Lines({"[f]", "1=C:\\P\\a.dat", "2=C:\\P\\b=c.dat", "[e]", "[u]", "1=C:\\P\\x.dll", "[s]", "0=a=b==c", "12="}));
  ASSERT_EQ(log.sections.size(), 4u);
  EXPECT_EQ(log.sections[0].name, "f");
  EXPECT_EQ(log.sections[0].entries, (TEntries{{"1", "C:\\P\\a.dat"}, {"2", "C:\\P\\b=c.dat"}}));
  EXPECT_EQ(log.sections[1].name, "e");
  EXPECT_TRUE(log.sections[1].entries.empty()) << "an empty section is still a section";
  EXPECT_EQ(log.sections[2].entries, (TEntries{{"1", "C:\\P\\x.dll"}}));
  EXPECT_EQ(log.sections[3].Value("0"), "a=b==c") << "the value runs from the first '=' to the line's end";
  EXPECT_EQ(log.sections[3].Value("12"), "");
  EXPECT_EQ(log.sections[3].Value("13"), "");
  EXPECT_EQ(log.Find("S"), &log.sections[3]) << "section names compare case-insensitively";
  EXPECT_EQ(log.Find("x"), nullptr);
}

TEST(UninstallLogReader, TheLastLineNeedsNoLineBreak) {
  const TUninstallLog log = ParseUninstallLog("[f]\r\n1=C:\\a.dat\r\n[s]\r\n51=26");
  ASSERT_NE(log.Find("s"), nullptr);
  EXPECT_EQ(log.Find("s")->Value("51"), "26");
  EXPECT_EQ(ParseUninstallLog("[s]").sections.size(), 1u);
  EXPECT_TRUE(ParseUninstallLog("").sections.empty());
}

TEST(UninstallLogReader, AValueWithLineBreaksContinuesOnTheFollowingLines) {
  // Texts of the settings may hold line breaks, written as they stand.
  const TUninstallLog log = ParseUninstallLog(
      "[s]\r\n0=First line\r\nsecond = line\r\n\r\nafter a gap\r\n1=Next\n  lone LF\r\n\r\n2=x\r\n[f]\r\n1=C:\\a\r\n\r\n");
  const TLogSection* s = log.Find("s");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->entries.size(), 3u) << "only lines that start with a number and '=' are entries";
  EXPECT_EQ(s->Value("0"), "First line\r\nsecond = line\r\n\r\nafter a gap");
  EXPECT_EQ(s->Value("1"), "Next\n  lone LF") << "each break as it was; a gap before the next entry is dropped";
  EXPECT_EQ(log.Find("f")->Value("1"), "C:\\a") << "a blank line at the end never ends a path";
}

TEST(UninstallLogReader, LinesOutsideEntriesAreIgnored) {
  const TUninstallLog log = ParseUninstallLog(Lines({"1=before any section", "; note", "[f]", "stray", "x=1", "1=a"}));
  ASSERT_EQ(log.sections.size(), 1u);
  EXPECT_EQ(log.sections[0].entries, (TEntries{{"1", "a"}}));
}

namespace {

std::vector<uint8_t> WithTrailer(std::vector<uint8_t> program, const std::vector<uint8_t>& picture,
                                 const std::string& path) {
  program.insert(program.end(), picture.begin(), picture.end());
  uint8_t n[4];
  StoreLE32(n, uint32_t(picture.size()));
  program.insert(program.end(), n, n + 4);
  program.insert(program.end(), path.begin(), path.end());
  program.push_back(uint8_t(path.size()));
  program.push_back(uint8_t(path.size() >> 8));
  return program;
}

TTrailerState Read(std::vector<uint8_t> bytes, TUninstallerTrailer& trailer) {
  TMemoryStream stream(std::move(bytes));
  return ReadUninstallerTrailer(stream, trailer);
}

constexpr auto kSound = TTrailerState::Sound, kAbsent = TTrailerState::Absent, kDamaged = TTrailerState::Damaged;

}  // namespace

TEST(UninstallerTrailerReader, ReadsThePathAndThePictureFromTheEnd) {
  const std::vector<uint8_t> program(1000, 'M');
  const std::string path = "C:\\Program Files\\Product\\Uninstall.ini";
  TUninstallerTrailer trailer;
  ASSERT_EQ(Read(WithTrailer(program, {}, path), trailer), kSound);
  EXPECT_EQ(trailer.logPath, path);
  EXPECT_TRUE(trailer.picture.empty());

  std::vector<uint8_t> picture = {'B', 'M'};
  for (int i = 0; i < 300; ++i) picture.push_back(uint8_t(i));
  ASSERT_EQ(Read(WithTrailer(program, picture, path), trailer), kSound);
  EXPECT_EQ(trailer.logPath, path);
  EXPECT_EQ(trailer.picture, picture);

  const std::string longPath(300, 'p');  // L above 255 uses both bytes
  ASSERT_EQ(Read(WithTrailer({}, picture, longPath), trailer), kSound) << "the picture may start the file";
  EXPECT_EQ(trailer.logPath, longPath);
}

TEST(UninstallerTrailerReader, LengthsThatDoNotFitAreDamage) {
  TUninstallerTrailer trailer;
  const std::vector<uint8_t> sound = WithTrailer(std::vector<uint8_t>(10, 'M'), {}, "C:\\u.ini");
  std::vector<uint8_t> bytes = sound;
  bytes[bytes.size() - 2] = uint8_t(bytes.size() - 1);  // L reaches past the start
  EXPECT_EQ(Read(bytes, trailer), kDamaged);
  bytes = sound;
  bytes[bytes.size() - 2] = uint8_t(bytes.size() - 5);  // no room left for N
  EXPECT_EQ(Read(bytes, trailer), kDamaged);
  EXPECT_EQ(Read(WithTrailer({}, {}, ""), trailer), kDamaged) << "an empty path names no log";
  EXPECT_EQ(Read({0x08}, trailer), kDamaged);
  EXPECT_EQ(Read({}, trailer), kDamaged);

  bytes = sound;
  const size_t n = bytes.size() - 2 - 8 - 4;
  StoreLE32(&bytes[n], 11);  // one byte more than the program before it
  EXPECT_EQ(Read(bytes, trailer), kDamaged);
  StoreLE32(&bytes[n], 0xFFFFFFFFu);
  EXPECT_EQ(Read(bytes, trailer), kDamaged);
  StoreLE32(&bytes[n], 10);  // fits, but the program's bytes are no BMP
  EXPECT_EQ(Read(bytes, trailer), kDamaged);
  EXPECT_EQ(Read(WithTrailer({}, {}, std::string("C:\\a\0b", 6)), trailer), kDamaged);

  EXPECT_EQ(Read(std::vector<uint8_t>(4096, 0), trailer), kDamaged) << "no trailer, and no image to end before one";
}

namespace {

// A PE file of headers and two sections (0x200..0x400, 0x400..0x500) and an
// uninitialised one of no bytes; with a certificate table, 0x500..0x580.
// Its last bytes are "BM", so that a picture reaching into it would pass.
std::vector<uint8_t> ProgramImage(bool plus, bool certificate = false) {
  std::vector<uint8_t> image(certificate ? 0x580 : 0x500, 0);
  image[0] = 'M', image[1] = 'Z';
  StoreLE32(&image[0x3C], 0x40);
  image[0x40] = 'P', image[0x41] = 'E';
  const size_t optionalSize = plus ? 0xF0 : 0xE0, optional = 0x58, directories = optional + (plus ? 112 : 96);
  image[0x46] = 3;
  image[0x54] = uint8_t(optionalSize);
  image[optional] = 0x0B, image[optional + 1] = plus ? 2 : 1;
  StoreLE32(&image[optional + 60], 0x200);         // SizeOfHeaders
  StoreLE32(&image[directories - 4], 16);          // NumberOfRvaAndSizes
  if (certificate) StoreLE32(&image[directories + 32], 0x500), StoreLE32(&image[directories + 36], 0x80);
  const uint32_t sections[3][2] = {{0x200, 0x200}, {0x400, 0x100}, {0x9000, 0}};  // start, size
  for (size_t i = 0; i < 3; ++i) {
    uint8_t* header = &image[optional + optionalSize + i * 40];
    StoreLE32(header + 16, sections[i][1]);
    StoreLE32(header + 20, sections[i][0]);
  }
  image[image.size() - 2] = 'B', image[image.size() - 1] = 'M';
  return image;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

}  // namespace

// The setup may leave the trailer out; only bytes after the image are read
// as one.
TEST(UninstallerTrailerReader, AProgramImageWithNothingAfterItHasNoTrailer) {
  const std::string path = "C:\\P\\u.ini";
  std::vector<uint8_t> stray = ProgramImage(true);
  stray.push_back(0);
  std::vector<uint8_t> reaching = WithTrailer(ProgramImage(true), {}, path);
  StoreLE32(&reaching[0x500], 2);  // a picture that would be the image's last two bytes, "BM"
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    TTrailerState state;
  } cases[] = {
      {"PE32+ alone", ProgramImage(true), kAbsent},
      {"PE32 alone", ProgramImage(false), kAbsent},
      {"signed, alone", ProgramImage(true, true), kAbsent},
      {"with a trailer", WithTrailer(ProgramImage(false), {}, path), kSound},
      {"signed, with a trailer", WithTrailer(ProgramImage(true, true), {}, path), kSound},
      {"one stray byte", stray, kDamaged},
      {"a picture reaching into the image", reaching, kDamaged},
      {"cut inside a section", Cut(ProgramImage(true), 0x480), kDamaged},
      {"cut inside the certificate table", Cut(ProgramImage(true, true), 0x540), kDamaged},
  };
  for (const auto& c : cases) {
    TUninstallerTrailer trailer;
    EXPECT_EQ(Read(c.bytes, trailer), c.state) << c.name;
    EXPECT_EQ(trailer.logPath, c.state == kSound ? path : "") << c.name;
  }
}

TEST(UninstallerOptions, SwitchesAndWhichLogIsRead) {
  const std::string program = "C:\\Prog\\uninstall.exe", trailer = "C:\\Logs\\u.ini";
  const struct {
    std::vector<std::string> arguments;
    std::string trailerPath, program;
    bool silent;
    std::string log;
  } cases[] = {
      {{}, trailer, program, false, trailer},
      {{}, "", program, false, "C:\\Prog\\uninstall.ini"},
      {{"/s"}, "", "C:\\Prog.d\\uninstall", true, "C:\\Prog.d\\uninstall.ini"},
      {{}, "", "C:\\P\\un.install.EXE", false, "C:\\P\\un.install.ini"},
      {{"/ini=D:\\Moved\\Log.INI"}, trailer, program, false, "D:\\Moved\\Log.INI"},
      {{"/INI=a.ini", "/S", "/Ini=b c.ini"}, "", program, true, "b c.ini"},
      {{"/INI="}, trailer, program, false, trailer},
      {{"/SILENT", "INI=x.ini", "/INIx=y", "-S"}, "", program, false, "C:\\Prog\\uninstall.ini"},
  };
  for (const auto& c : cases) {
    const TUninstallerOptions options = ParseUninstallerArguments(c.arguments);
    EXPECT_EQ(options.silent, c.silent) << c.log;
    EXPECT_EQ(ChooseLogPath(options.logPath, c.trailerPath, c.program), c.log);
  }
}

namespace {

const char* const kLog[] = {
    "[f]", "1=C:\\P\\app.exe", "2=", "3=C:\\Menu\\P\\App.lnk",
    "[e]", "1=C:\\P", "2=C:\\P\\sub\\deep\\", "3=C:\\Data", "4=C:\\P\\sub",
    "[o1]", "0=@$&%04", "1=C:\\P",
    "[u]", "1=C:\\P\\comp.dll",
    "[i1]", "0=C:\\P\\p.ini", "1=Main", "2=Key",
    "[i2]", "0=C:\\P\\p.ini", "1=Main", "2=",
    "[r1]", "0=1", "1=Software\\P", "2=Path",
    "[r2]", "0=2", "1=Software\\P\\Sub", "2=",
    "[b1]", "0=C:\\P\\stop.exe", "1=/quiet a=b", "2=0", "3=1",
    "[a1]", "0=C:\\Tools\\after.exe", "1=", "2=1", "3=0",
    "[b2]", "0=C:\\P\\second.exe", "1=", "2=5", "3=2",
    "[b3]", "0=", "1=no program", "2=1", "3=1",
    "[n1]", "0=Test Sans (TrueType)", "1=C:\\Windows\\Fonts\\test.ttf",
    "[s]", "0=Text", "47=31",
};

TUninstallLog SampleLog() {
  std::string text;
  for (const char* line : kLog) text += std::string(line) + "\r\n";
  return ParseUninstallLog(text);
}

std::vector<TStepKind> Kinds(const std::vector<TRemovalStep>& plan) {
  std::vector<TStepKind> kinds;
  for (const TRemovalStep& step : plan) kinds.push_back(step.kind);
  return kinds;
}

std::vector<std::string> Paths(const std::vector<TRemovalStep>& plan, TStepKind kind) {
  std::vector<std::string> paths;
  for (const TRemovalStep& step : plan)
    if (step.kind == kind) paths.push_back(step.path);
  return paths;
}

}  // namespace

TEST(RemovalPlan, StepsInTheirOrder) {
  using K = TStepKind;
  const std::vector<TRemovalStep> plan = BuildRemovalPlan(SampleLog(), "C:\\P\\Uninstall.ini");
  EXPECT_EQ(Kinds(plan), (std::vector<K>{K::RunCommand, K::RunCommand, K::UnregisterComponent, K::RemoveFont,
                                          K::DeleteFile, K::DeleteFile, K::RemoveIniKey, K::RemoveRegistryValue,
                                          K::RemoveRegistryValue, K::DeleteLog, K::RemoveFolder, K::RemoveFolder,
                                          K::RemoveFolder, K::RemoveFolder, K::RunCommand}));

  // Before commands in log order, the after command last, though written between them.
  EXPECT_EQ(plan[0].path, "C:\\P\\stop.exe");
  EXPECT_EQ(plan[0].Detail().parameters, "/quiet a=b");
  EXPECT_EQ(plan[0].Detail().showCommand, 0);
  EXPECT_TRUE(plan[0].Detail().wait);
  EXPECT_EQ(plan[1].path, "C:\\P\\second.exe");
  EXPECT_EQ(plan[1].Detail().showCommand, 5);
  EXPECT_FALSE(plan[1].Detail().wait) << "only \"1\" waits";
  EXPECT_EQ(plan.back().path, "C:\\Tools\\after.exe");
  EXPECT_FALSE(plan.back().Detail().wait);

  EXPECT_EQ(plan[2].path, "C:\\P\\comp.dll");
  EXPECT_EQ(plan[3].Detail().fontName, "Test Sans (TrueType)");
  EXPECT_EQ(plan[3].path, "C:\\Windows\\Fonts\\test.ttf");
  EXPECT_EQ(Paths(plan, K::DeleteFile), (std::vector<std::string>{"C:\\P\\app.exe", "C:\\Menu\\P\\App.lnk"}));
  EXPECT_EQ(plan[6].path, "C:\\P\\p.ini");
  EXPECT_EQ(plan[6].Detail().section, "Main");
  EXPECT_EQ(plan[6].Detail().key, "Key") << "an INI record without a key is left out";
  EXPECT_EQ(plan[7].Detail().root, 1);
  EXPECT_EQ(plan[7].Detail().registryKey, "Software\\P");
  EXPECT_EQ(plan[7].Detail().valueName, "Path");
  EXPECT_EQ(plan[8].Detail().root, 2);
  EXPECT_EQ(plan[8].Detail().valueName, "") << "the key's default value";
  EXPECT_EQ(plan[9].path, "C:\\P\\Uninstall.ini");
  EXPECT_EQ(Paths(plan, K::RemoveFolder),
            (std::vector<std::string>{"C:\\P\\sub\\deep", "C:\\P\\sub", "C:\\Data", "C:\\P"}))
      << "deepest first; among equals the later entry first";
}

TEST(RemovalPlan, ALogWithNothingToUndoStillDeletesItself) {
  const std::vector<TRemovalStep> plan = BuildRemovalPlan(ParseUninstallLog(Lines({"[f]", "[e]", "[u]", "[s]"})), "C:\\u.ini");
  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].kind, TStepKind::DeleteLog);
}

TEST(RemovalPlan, OnlyNumberedSectionsOfEachLetterCount) {
  const TUninstallLog log = ParseUninstallLog(
      Lines({"[b]", "0=C:\\no-number.exe", "[bx1]", "0=C:\\letters.exe", "[B7]", "0=C:\\upper.exe", "[s]"}));
  const std::vector<TRemovalStep> plan = BuildRemovalPlan(log, "C:\\u.ini");
  EXPECT_EQ(Paths(plan, TStepKind::RunCommand), std::vector<std::string>{"C:\\upper.exe"});
}

TEST(RemovalPlan, SettingsByNumber) {
  const TUninstallLog log = SampleLog();
  EXPECT_EQ(SettingText(log, 0), "Text");
  EXPECT_EQ(SettingText(log, 47), "31");
  EXPECT_EQ(SettingText(log, 3), "");
  EXPECT_EQ(SettingText(ParseUninstallLog("[f]"), 0), "");
}

TEST(RegistryKeysToPrune, DeepestFirstAndNeverTheFirstLevel) {
  EXPECT_EQ(KeysToPrune("Software\\Vendor\\Product\\Sub"),
            (std::vector<std::string>{"Software\\Vendor\\Product\\Sub", "Software\\Vendor\\Product", "Software\\Vendor"}));
  EXPECT_EQ(KeysToPrune("\\Software\\\\Vendor\\"), std::vector<std::string>{"Software\\Vendor"});
  EXPECT_TRUE(KeysToPrune("Software").empty());
  EXPECT_TRUE(KeysToPrune("").empty());
  EXPECT_TRUE(KeysToPrune("\\\\").empty());
  // The list of installed programs stays, however empty a product leaves it.
  EXPECT_EQ(KeysToPrune("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Notes"),
            std::vector<std::string>{"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Notes"});
  EXPECT_EQ(KeysToPrune("SOFTWARE\\classes\\.vnote\\shell"),
            (std::vector<std::string>{"SOFTWARE\\classes\\.vnote\\shell", "SOFTWARE\\classes\\.vnote"}));
  EXPECT_TRUE(KeysToPrune("Software\\Microsoft\\Windows\\CurrentVersion\\Run").empty());
  EXPECT_EQ(KeysToPrune("Software\\Microsoft\\Notes"),
            (std::vector<std::string>{"Software\\Microsoft\\Notes"})) << "above Windows' keys, not one of them";
}
