// The setup description read into a script and an archive input; the script
// is read back the way setup.exe reads it.
#include "mksetup/description.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

#include "archive/setup_script.h"
#include "mksetup/header_settings.h"
#include "mksetup/path_names.h"
#include "mksetup/product_files.h"
#include "toolkit/memory_stream.h"

namespace fs = std::filesystem;

namespace {

TDescription Parse(const std::string& text, const std::string& baseDir = "") {
  return ParseDescription(text, "test.setup", baseDir);
}

TSetupScript ReadHeader(const TDescription& description) {
  TSetupScript script;
  EXPECT_TRUE(ParseScriptHeader(TMemoryStream(description.archive.script), script));
  return script;
}

TSetupScript ReadScript(const TDescription& description) {
  TSetupScript script;
  TMemoryStream item(description.archive.script);
  EXPECT_TRUE(ParseScriptHeader(item, script));
  EXPECT_TRUE(ParseScriptSections(item, script));
  return script;
}

std::vector<std::string> Record(const TSetupScript& script, TSection section, size_t k) {
  size_t n = size_t(SectionLayout(section).fieldsPerRecord);
  size_t first = k * n + (section == kSectionMessages ? 1 : 0);
  const auto& fields = script.sections[section].fields;
  if (first + n > fields.size()) return {};
  return std::vector<std::string>(fields.begin() + long(first), fields.begin() + long(first + n));
}

// The message of the error the text causes ("" when it parses).
std::string ErrorOf(const std::string& text, const std::string& baseDir = "") {
  try {
    Parse(text, baseDir);
  } catch (const TDescriptionError& e) {
    return e.what();
  }
  return "";
}

class TTempDir {
public:
  TTempDir() {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("mksetup-test-" + std::to_string(random()));
    fs::create_directories(path_);
  }
  ~TTempDir() { fs::remove_all(path_); }
  std::string Path() const { return path_.generic_string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    fs::create_directories((path_ / name).parent_path());
    std::ofstream(path_ / name, std::ios::binary) << bytes;
  }

private:
  fs::path path_;
};

}  // namespace

TEST(DescriptionTest, HeaderFieldsKeepTheirTextAsWritten) {
  TDescription d = Parse(
      "field 65 =   two spaces kept\n"
      "field 8 = a = b  # not a comment \n"
      "field 9 =\n"
      "field 11 = \n"
      "FIELD   12 = windows line end\r\n"
      "field 13 = cr\rinside\n"
      "field 62 = \xC4\xE9\t@$&%04\\x");
  TSetupScript script = ReadHeader(d);
  ASSERT_EQ(script.header.size(), size_t(kHeaderFieldCount));
  EXPECT_EQ(script.header[65], "  two spaces kept");
  EXPECT_EQ(script.header[8], "a = b  # not a comment ");
  EXPECT_EQ(script.header[9], "");
  EXPECT_EQ(script.header[11], "");
  EXPECT_EQ(script.header[12], "windows line end");
  EXPECT_EQ(script.header[13], "cr\rinside");
  EXPECT_EQ(script.header[62], "\xC4\xE9\t@$&%04\\x");
}

TEST(DescriptionTest, ModeSetsField34UnlessTheDescriptionDoes) {
  EXPECT_EQ(ReadHeader(Parse("")).header[34], "1");
  TDescription perFile = Parse("[archive]\nmode = per-file\n");
  EXPECT_FALSE(perFile.archive.solid);
  EXPECT_EQ(ReadHeader(perFile).header[34], "0");
  TDescription contrary = Parse("field 34 = 1\n[archive]\nmode = per-file\n");
  EXPECT_FALSE(contrary.archive.solid);
  EXPECT_EQ(ReadHeader(contrary).header[34], "1");
}

TEST(DescriptionTest, CountsAndCheckValueAreComputedUnlessGiven) {
  const std::string records = "[registry]\nroot = 1\n[registry]\nroot = 2\n[file]\ntarget = x\ncontent = x\n";
  TSetupScript computed = ReadHeader(Parse(records));
  EXPECT_EQ(computed.header[50], "2");
  EXPECT_EQ(computed.header[67], "1");
  EXPECT_EQ(computed.header[35].size(), 8u);

  TSetupScript given = ReadHeader(Parse("field 67 = 7\nfield 35 = 0BADC0DE\nfield 50 =\n" + records));
  EXPECT_EQ(given.header[67], "7");
  EXPECT_EQ(given.header[35], "0BADC0DE");
  EXPECT_EQ(given.header[50], "");
}

// Every field named as the format documents it lands at its place in the record.
TEST(DescriptionTest, NamedFieldsLandInTheirRecordPositions) {
  struct TCase {
    const char* block;
    TSection section;
    std::vector<std::string> names;  // in record order
  };
  const TCase cases[] = {
      {"registry variable", kSectionRegistryVariables, {"root", "key", "name", "default"}},
      {"registry", kSectionRegistry, {"root", "key", "name", "data", "type", "overwrite", "remove"}},
      {"uninstall registry", kSectionUninstallRegistry, {"root", "key", "name"}},
      {"font", kSectionFonts, {"name", "file"}},
      {"shortcut",
       kSectionShortcuts,
       {"location", "link", "target", "arguments", "description", "icon", "icon index", "working folder"}},
      {"folder", kSectionFolders, {"path", "remove"}},
      {"command", kSectionCommands, {"note", "program", "parameters", "show", "phase", "wait"}},
      {"ini", kSectionIni, {"file", "section", "key", "value", "overwrite", "remove"}},
      {"uninstaller record", kSectionUninstallerRecords, {"first", "second"}},
      {"component", kSectionComponents, {"library", "unregister"}},
      {"language", kSectionLanguages, {"name", "id", "licence", "information"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.block);
    // Written last field first, so that order in the description cannot matter.
    std::string text = std::string("[") + c.block + "]\n";
    std::vector<std::string> expected;
    for (size_t i = c.names.size(); i-- > 0;) text += c.names[i] + " = v" + std::to_string(i) + "\n";
    for (size_t i = 0; i < c.names.size(); ++i) expected.push_back("v" + std::to_string(i));
    EXPECT_EQ(Record(ReadScript(Parse(text)), c.section, 0), expected);
  }
}

TEST(DescriptionTest, FieldsByPositionAndLooseNames) {
  TSetupScript script = ReadScript(Parse(
      "[shortcut]\n"
      "  Working   Folder = C:\\w\n"
      "field 6 = 3\n"
      "field 0 = 4\n"));
  EXPECT_EQ(Record(script, kSectionShortcuts, 0), (std::vector<std::string>{"4", "", "", "", "", "", "3", "C:\\w"}));
}

TEST(DescriptionTest, UninstallCommandsFollowInstallCommands) {
  TSetupScript script = ReadScript(Parse(
      "[uninstall command]\nprogram = undo.exe\nphase = 0\n"
      "[command]\nprogram = first.exe\n"
      "[command]\nprogram = second.exe\n"));
  EXPECT_EQ(script.header[40], "2");
  EXPECT_EQ(script.header[25], "1");
  EXPECT_EQ(Record(script, kSectionCommands, 0)[1], "first.exe");
  EXPECT_EQ(Record(script, kSectionCommands, 1)[1], "second.exe");
  EXPECT_EQ(Record(script, kSectionCommands, 2)[1], "undo.exe");
  EXPECT_EQ(Record(script, kSectionCommands, 2)[4], "0");
}

TEST(DescriptionTest, FilesTakeTheirBytesInRecordOrderAndTheirTimes) {
  TTempDir dir;
  dir.Write("product/bin/tool.dat", std::string("\x00\x01\xFF\r\n", 5));
  TDescription d = Parse(
      "[file]\n"
      "source = product/bin/tool.dat\n"
      "target = @$&%04\\bin\\tool.dat\n"
      "time = 2024-05-01 12:30:45.123\n"
      "existing = 2\nuninstall = 1\nattributes = 33\n"
      "[file]\n"
      "target = b\n"
      "content =  inline text \n"
      "time = -12abc\n"
      "[file]\n"
      "target = c\n"
      "content =\n"
      "time = 1601-01-01\n",
      dir.Path());
  ASSERT_EQ(d.archive.files.size(), 3u);
  EXPECT_EQ(d.archive.files[0], TBytes({0x00, 0x01, 0xFF, '\r', '\n'}));
  EXPECT_EQ(std::string(d.archive.files[1].begin(), d.archive.files[1].end()), " inline text ");
  EXPECT_TRUE(d.archive.files[2].empty());
  TSetupScript script = ReadScript(d);
  EXPECT_EQ(Record(script, kSectionFiles, 0),
            (std::vector<std::string>{"@$&%04\\bin\\tool.dat", "2", "133590402451230000", "1", "33"}));
  EXPECT_EQ(Record(script, kSectionFiles, 1)[2], "-12abc");  // not a date: written as it stands
  EXPECT_EQ(Record(script, kSectionFiles, 2)[2], "0");
}

TEST(DescriptionTest, UtcDateTimesBecomeFileTimes) {
  EXPECT_EQ(ParseUtcDateTime("1601-01-01"), uint64_t(0));
  EXPECT_EQ(ParseUtcDateTime("1601-01-01 00:00:00.0000001"), uint64_t(1));
  EXPECT_EQ(ParseUtcDateTime("1970-01-01 00:00"), uint64_t(116444736000000000));
  EXPECT_EQ(ParseUtcDateTime("2024-05-01T12:30:45.123"), uint64_t(133590402451230000));
  // 2000 is a leap year, 1900 and 2100 are not.
  EXPECT_EQ(*ParseUtcDateTime("2000-03-01") - *ParseUtcDateTime("2000-02-28"), 2 * 864000000000ull);
  EXPECT_EQ(*ParseUtcDateTime("2100-03-01") - *ParseUtcDateTime("2100-02-28"), 864000000000ull);
  EXPECT_EQ(ParseUtcDateTime("9999-12-31 23:59:59.9999999"), uint64_t(2650467743999999999));
  for (const char* bad : {"1600-12-31", "2023-02-29", "1900-02-29", "2024-13-01", "2024-04-31", "2024-05-01 24:00",
                          "2024-05-01 12:60", "2024-05-01 12:30:60", "2024-05-01 12:30:45.", "2024-5-1",
                          "2024-05-01 12:30:45.12345678", "2024-05-01 12", "2024-05-01x"}) {
    EXPECT_FALSE(ParseUtcDateTime(bad)) << bad;
  }
}

TEST(DescriptionTest, MessagesComeFromTheFileWithEscapesAndOverrides) {
  TTempDir dir;
  dir.Write("msg/english.txt",
            "Welcome\r\n"
            "line one\\nline two\n"
            "C:\\\\Games\\\\\n"
            "\n"
            " leading and trailing \n"
            "six");
  TDescription d = Parse(
      "[language]\nname = English\nid = 1033\n"
      "message 6 = over\\nridden\n"
      "messages = msg/english.txt\n"
      "message 87 = last\n",
      dir.Path());
  TSetupScript script = ReadScript(d);
  EXPECT_EQ(Record(script, kSectionLanguages, 0), (std::vector<std::string>{"English", "1033", "", ""}));
  std::vector<std::string> messages = Record(script, kSectionMessages, 0);
  ASSERT_EQ(messages.size(), size_t(kMessagesPerLanguage));
  EXPECT_EQ(messages[0], "Welcome");
  EXPECT_EQ(messages[1], "line one\r\nline two");
  EXPECT_EQ(messages[2], "C:\\Games\\");
  EXPECT_EQ(messages[3], "");
  EXPECT_EQ(messages[4], " leading and trailing ");
  EXPECT_EQ(messages[5], "over\r\nridden");
  EXPECT_EQ(messages[6], "");
  EXPECT_EQ(messages[86], "last");
}

TEST(DescriptionTest, FaultsInAMessagesFileNameThatFileAndLine) {
  TTempDir dir;
  std::string tooMany;
  for (int i = 1; i <= 88; ++i) tooMany += "m" + std::to_string(i) + "\n";
  dir.Write("many.txt", tooMany);
  dir.Write("escape.txt", "one\ntwo\nC:\\Games\n");
  EXPECT_NE(ErrorOf("[language]\nmessages = many.txt\n", dir.Path()).find("many.txt:88:"), std::string::npos);
  EXPECT_NE(ErrorOf("[language]\nmessages = escape.txt\n", dir.Path()).find("escape.txt:3:"), std::string::npos);
  // Exactly 87 lines with a final line end is not too many.
  dir.Write("full.txt", tooMany.substr(0, tooMany.find("m88")));
  EXPECT_EQ(ErrorOf("[language]\nmessages = full.txt\n", dir.Path()), "");
}

TEST(DescriptionTest, ArchiveSettings) {
  TDescription d = Parse(
      "field 21 = disk@$&%19.pak\n"
      "[archive]\nmode = per-file\ndisk size = 64 KiB\n"
      "[block 0]\ncompression = stored\n"
      "[file blocks]\n"
      "lc = 0\nlp = 2\npb = 1\ndictionary = 2 MiB\npreset = 9\nend marker = off\n"
      "properties byte = 225\ndictionary field = 0x02000001\n");
  EXPECT_FALSE(d.archive.solid);
  EXPECT_EQ(d.archive.diskSize, 65536u);
  EXPECT_EQ(d.diskNameTemplate, "disk@$&%19.pak");
  EXPECT_FALSE(d.archive.block0.compressed);
  const TBlockOptions& files = d.archive.fileBlocks;
  EXPECT_TRUE(files.compressed);
  EXPECT_EQ(files.lzma.lc, 0u);
  EXPECT_EQ(files.lzma.lp, 2u);
  EXPECT_EQ(files.lzma.pb, 1u);
  EXPECT_EQ(files.lzma.dictionarySize, 2u << 20);
  EXPECT_EQ(files.lzma.preset, 9u);
  EXPECT_FALSE(files.lzma.endMarker);
  EXPECT_EQ(files.lzma.propertiesByte, uint8_t(225));
  EXPECT_EQ(files.lzma.dictionaryField, uint32_t(0x02000001));
  // Block 0's stream options stay at their defaults.
  EXPECT_TRUE(d.archive.block0.lzma.endMarker);
  EXPECT_FALSE(d.archive.block0.lzma.propertiesByte);
}

TEST(DescriptionTest, ResourcesAndStub) {
  TTempDir dir;
  dir.Write("licence.rtf", "{\\rtf1 terms}");
  TDescription d = Parse(
      "stub = bin/setup.exe\n"
      "[resource]\ncode = 15\nsource = licence.rtf\n"
      "[resource]\ncontent = plain\ncode = 0x10\n",
      dir.Path());
  EXPECT_EQ(d.stubPath, dir.Path() + "/bin/setup.exe");
  ASSERT_EQ(d.archive.resources.size(), 2u);
  EXPECT_EQ(d.archive.resources[0].code, 15);
  EXPECT_EQ(std::string(d.archive.resources[0].bytes.begin(), d.archive.resources[0].bytes.end()), "{\\rtf1 terms}");
  EXPECT_EQ(d.archive.resources[1].code, 16);
}

TEST(DescriptionTest, FaultsNameTheLine) {
  struct TCase {
    std::string text;
    int line;
    const char* says;
  };
  const TCase cases[] = {
      {"# comment\n\nfield 121 = x\n", 3, "0 to 120"},
      {"field 65 = a\nfield 65 = b\n", 2, "twice"},
      {"field 65 a\n", 1, "name = value"},
      {"[setup]\n= x\n", 2, "name is missing"},
      {"[registry]\nroot = 1\n[registery]\n", 3, "unknown block"},
      {"[registry]\nroot = 1\nvalue = 2\n", 3, "unknown field 'value'"},
      {"[registry]\nroot = 1\nfield 0 = 2\n", 3, "twice"},
      {"[folder]\nfield 2 = x\n", 2, "0 to 1"},
      {"[file]\ntarget = a\n\n[folder]\n", 1, "'source' or 'content'"},
      {"[file]\ncontent = a\ntime = 2024-02-30\n", 3, "UTC date"},
      {"[file]\nsource = missing.txt\n", 2, "cannot read"},
      {"[file]\ncontent = a\ncontent = b\n", 3, "twice"},
      {"[resource]\ncontent = a\n", 1, "code"},
      {"[resource]\ncode = 256\ncontent = a\n", 2, "0 to 255"},
      {"[language]\nmessage 88 = x\n", 2, "message number"},
      {"[language]\nmessage 3 = a\\tb\n", 2, "backslash"},
      {"[archive]\nmode = compact\n", 2, "per-file"},
      {"field 21 = d@$&%19\n[archive]\ndisk size = 1000\n", 3, "per-file mode only"},
      {"[archive]\nmode = per-file\ndisk size = 1000\n", 3, "field 21"},
      {"[block 0]\nlc = 5\n", 2, "0 to 4"},
      {"[file blocks]\nlc = 4\npb = 0\nlp = 1\n", 4, "lc + lp"},
      {"[block 0]\ndictionary = 64 MiB\n", 2, "dictionary"},
      {"[block 0]\nend marker = maybe\n", 2, "on"},
      {"stub =\n", 1, "stub"},
      {std::string("field 1 = a\0b\n", 14), 1, "NUL"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error = ErrorOf(c.text);
    EXPECT_EQ(error.rfind("test.setup:" + std::to_string(c.line) + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

// The shipped sample parses, sets every flag field (an empty one reads as
// set), and its progress bar maximum matches the steps its records make.
TEST(DescriptionTest, SampleIsComplete) {
  fs::path sample = fs::path(__FILE__).parent_path() / ".." / ".." / "samples" / "sample-raw.setup";
  if (!fs::exists(sample)) GTEST_SKIP() << "no sample at " << sample;
  // The sample ships the uninstaller and a component of the Win32 build.
  const fs::path win32 = sample.parent_path() / ".." / "build" / "win32" / "bin";
  if (!fs::exists(win32 / "uninstall.exe") || !fs::exists(win32 / "velmora_sample_component.dll"))
    GTEST_SKIP() << "the sample needs the win32 build's programs in " << win32;
  TDescription d = LoadDescription(sample.generic_string());
  TSetupScript script = ReadScript(d);
  EXPECT_EQ(d.archive.files.size(), 6u);
  ASSERT_EQ(d.archive.resources.size(), 6u);
  EXPECT_EQ(d.archive.resources[0].code, 15);
  EXPECT_EQ(d.archive.resources[1].code, 16);
  EXPECT_EQ(d.archive.resources[2].code, 4) << "the header picture";
  EXPECT_EQ(script.sections[kSectionLanguages].count, 1u);
  for (int flag : {1, 3, 6, 22, 30, 36, 38, 39, 44, 46, 49, 52, 56, 63, 66, 71, 76, 77, 79, 84, 85, 86, 88, 89, 90,
                   99, 103, 105, 109, 110, 111, 112, 113, 114, 115, 116}) {
    EXPECT_TRUE(script.header[size_t(flag)] == "0" || script.header[size_t(flag)] == "1") << "field " << flag;
  }

  std::vector<std::string> messages = Record(script, kSectionMessages, 0);
  ASSERT_EQ(messages.size(), size_t(kMessagesPerLanguage));
  for (int m = 1; m <= kMessagesPerLanguage; ++m) {
    bool unused = m >= 53 && m <= 56;
    EXPECT_NE(messages[size_t(m - 1)].empty(), !unused) << "message " << m;
  }
  // Texts joined with a value rely on these spaces (an editor may strip them).
  EXPECT_EQ(messages[47].front(), ' ');
  for (int m : {8, 35, 52, 58, 73, 75, 78}) EXPECT_EQ(messages[size_t(m - 1)].back(), ' ') << "message " << m;

  auto count = [&](TSection s) { return int(script.sections[s].count); };
  // Install commands step the bar; the uninstall commands behind them do not.
  const int installCommands = std::stoi(script.header[40]);
  int steps = count(kSectionFiles) + count(kSectionFolders) + count(kSectionRegistry) + count(kSectionFonts) +
              count(kSectionShortcuts) + (script.header[56] != "0" ? 1 : 0) + count(kSectionIni) +
              count(kSectionComponents) + installCommands;
  EXPECT_EQ(script.header[48], std::to_string(steps));
}

// ---- The publisher's layer ---------------------------------------------------

namespace {

std::string Header(const TSetupScript& script, int field) { return script.header[size_t(field)]; }

// The records of a section whose field `at` equals `value`.
std::vector<std::vector<std::string>> RecordsWith(const TSetupScript& script, TSection section, size_t at,
                                                  const std::string& value) {
  std::vector<std::vector<std::string>> found;
  for (uint32_t k = 0; k < script.sections[section].count; ++k) {
    std::vector<std::string> record = Record(script, section, k);
    if (record.size() > at && record[at] == value) found.push_back(record);
  }
  return found;
}

const char kPublisherDescription[] =
    "stub = programs/setup.exe\n"
    "product = Velmora Notes\n"
    "version = 2.1\n"
    "publisher = Velmora Ltd\n"
    "uninstaller = on\n"
    "licence = licence.rtf\n"
    "[files]\n"
    "source = product\n"
    "target = {install}\n"
    "[shortcut]\n"
    "link = Velmora Notes\n"
    "target = {install}\\notes.exe\n";

}  // namespace

// A description of a dozen lines: everything else takes a safe default and
// what can be counted is counted.
TEST(PublisherDescription, AFewNamedLinesMakeACompleteSetup) {
  TTempDir dir;
  dir.Write("programs/uninstall.exe", std::string(3000, 'u'));
  dir.Write("licence.rtf", "{\\rtf1 terms}");
  dir.Write("product/notes.exe", std::string(5000, 'n'));
  dir.Write("product/docs/manual.txt", "manual");
  const TDescription d = Parse(kPublisherDescription, dir.Path());
  const TSetupScript script = ReadScript(d);

  for (const THeaderSetting& setting : HeaderSettings())
    if (setting.kind == TSettingKind::kSwitch) {
      EXPECT_TRUE(Header(script, setting.field) == "0" || Header(script, setting.field) == "1") << setting.name;
    }
  const std::map<int, std::string> expected = {
      {110, "0"}, {61, "511"}, {99, "0"}, {100, "0"}, {2, "0"}, {41, "0"}, {111, "1"}, {112, "1"}, {115, "1"},
      {116, "1"}, {30, "1"}, {84, "0"}, {49, "0"}, {56, "1"}, {113, "1"}, {22, "0"}, {114, "0"}, {52, "0"},
      {65, "Velmora Notes Setup"}, {58, "@$&%81"}, {106, "@$&%82"}, {98, "2"},
      {91, "@$&%04\\uninstall.exe"}, {92, "@$&%04\\uninstall.ini"}, {23, std::to_string(3000 + 5000 + 6)}};
  for (const auto& [field, value] : expected) EXPECT_EQ(Header(script, field), value) << "field " << field;

  // The files of the folder in byte order, with their own times; then the uninstaller.
  const std::vector<std::string> manual = Record(script, kSectionFiles, 0);
  EXPECT_EQ(manual[0], "@$&%04\\docs\\manual.txt");
  EXPECT_EQ(manual[2], std::to_string(SourceFileTime(dir.Path() + "/product/docs/manual.txt")));
  EXPECT_NE(manual[2], "0");
  EXPECT_EQ(Record(script, kSectionFiles, 1)[0], "@$&%04\\notes.exe");
  EXPECT_EQ(Record(script, kSectionFiles, 2)[0], "@$&%04\\uninstall.exe");
  EXPECT_EQ(d.archive.files[2], TBytes(3000, 'u'));
  EXPECT_EQ(Record(script, kSectionShortcuts, 0)[1], "Velmora Notes.lnk");

  // The list of installed programs, and everything removed again.
  const auto quiet = RecordsWith(script, kSectionRegistry, 2, "QuietUninstallString");
  ASSERT_EQ(quiet.size(), 1u);
  EXPECT_EQ(quiet[0], (std::vector<std::string>{"2", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora Notes",
                                                "QuietUninstallString", "\"@$&%04\\uninstall.exe\" /S", "0", "1", "1"}));
  EXPECT_EQ(RecordsWith(script, kSectionRegistry, 2, "EstimatedSize")[0][3], "8");
  EXPECT_EQ(RecordsWith(script, kSectionRegistry, 6, "1").size(), script.sections[kSectionRegistry].count);
  EXPECT_EQ(RecordsWith(script, kSectionFolders, 0, "@$&%04").size(), 1u);
  EXPECT_EQ(RecordsWith(script, kSectionFolders, 0, "@$&%23").size(), 1u) << "the program group used";
  // A later version finds this one: its folder and group are the defaults.
  const std::string entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora Notes";
  EXPECT_EQ(Record(script, kSectionRegistryVariables, 0),
            (std::vector<std::string>{"2", entry, "InstallLocation", "@$&%01\\Velmora Notes"}));
  EXPECT_EQ(Record(script, kSectionRegistryVariables, 1),
            (std::vector<std::string>{"2", entry, "StartMenuGroup", "Velmora Notes"}));
  EXPECT_EQ(RecordsWith(script, kSectionRegistry, 2, "StartMenuGroup")[0][3], "@$&%24");
  // Its own identity; a folder of the publisher's own scheme is left alone.
  const TSetupScript renamed = ReadScript(Parse(std::string(kPublisherDescription) +
                                                    "[setup]\nproduct id = VelmoraNotes_is1\n"
                                                    "install folder = {variable 0}\\Notes\n"
                                                    "[registry variable]\nroot = HKCU\nkey = Software\\V\nname = Home\n",
                                                dir.Path()));
  EXPECT_EQ(Header(renamed, 58), "@$&%81\\Notes");
  EXPECT_EQ(Header(renamed, 106), "@$&%82");
  EXPECT_EQ(Record(renamed, kSectionRegistryVariables, 1)[1],
            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelmoraNotes_is1");
  EXPECT_EQ(RecordsWith(renamed, kSectionRegistry, 2, "DisplayName")[0][1],
            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelmoraNotes_is1");
  EXPECT_THROW(Parse(std::string(kPublisherDescription) + "[setup]\nproduct id = a\\b\n", dir.Path()),
               TDescriptionError);

  // Every step the installation takes moves the bar once.
  auto count = [&](TSection s) { return int(script.sections[s].count); };
  EXPECT_EQ(Header(script, 48), std::to_string(count(kSectionFiles) + count(kSectionFolders) +
                                               count(kSectionRegistry) + count(kSectionShortcuts) + 1));
  const std::vector<std::string> messages = Record(script, kSectionMessages, 0);
  EXPECT_EQ(messages[0], "Welcome to the Velmora Notes 2.1 Setup Wizard");

  // The same inputs give the same bytes; a raw field still wins.
  EXPECT_EQ(Parse(kPublisherDescription, dir.Path()).archive.script, d.archive.script);
  const TSetupScript forced =
      ReadHeader(Parse(std::string(kPublisherDescription) + "[setup]\nsilent = on\nfield 110 = 0\nfield 48 = 7\n",
                       dir.Path()));
  EXPECT_EQ(Header(forced, 110), "0");
  EXPECT_EQ(Header(forced, 48), "7");
}

TEST(PublisherDescription, WrongValuesAreErrorsAtTheirLine) {
  struct TCase {
    std::string text;
    int line;
    const char* says;
  } cases[] = {
      {"product = P\n[registry]\nroot = HKCX\n", 3, "registry root is HKCR"},
      {"product = P\nsilent = maybe\n", 2, "'silent' is on or off"},
      {"product = P\n[file]\ntarget = {instal}\\x\ncontent = x\n", 3, "unknown path name {instal}"},
      {"product = P\n[file]\ncontent = x\n", 2, "needs a 'target'"},
      {"[file]\ncontent = x\n", 1, "needs a 'target'"},
      {"product = P\n[file]\ntarget = x\ncontent = y\nexisting = sometimes\n", 5, "kept, overwritten or newer"},
      {"product = P\n[file]\ntarget = x\ncontent = y\nattributes = shiny\n", 5, "readonly, hidden"},
      {"product = P\n[shortcut]\nlocation = 7\n", 3, "group, desktop"},
      {"product = P\n[command]\nprogram = x\nwait = later\n", 4, "on or off"},
      {"product = P\nwindows versions = -1\n", 2, "from 0 to"},
      {"product = P\nbackground colour = blue\n", 2, "#RRGGBB"},
      {"product = P\nprogress steps = 5\n", 2, "worked out by mksetup"},
      {"version = 1\n", 1, "'product ='"},
      {"product = P\n[files]\ntarget = {install}\n", 2, "needs a 'source'"},
      {"field 110 =\n", 1, "reads as on"},
      {"field 65 = x\nfield 61 =\n", 2, "refuses every Windows version"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error = ErrorOf(c.text);
    EXPECT_EQ(error.rfind("test.setup:" + std::to_string(c.line) + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
  // Roots by either name; switch words; a class id is no path name.
  const TSetupScript script = ReadScript(Parse(
      "product = P\n[registry]\nroot = HKEY_CURRENT_USER\nkey = CLSID\\{0002-AB}\\{product}\noverwrite = no\n"));
  EXPECT_EQ(Record(script, kSectionRegistry, 0), (std::vector<std::string>{"1", "CLSID\\{0002-AB}\\P", "", "", "0", "0", "0"}));
}

// Every named setting and path name is in the publisher's guide.
TEST(PublisherDescription, TheGuideListsEveryNameMksetupKnows) {
  const fs::path guide = fs::path(__FILE__).parent_path() / ".." / ".." / "docs" / "publishing.md";
  std::ifstream in(guide);
  ASSERT_TRUE(in) << guide;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const THeaderSetting& setting : HeaderSettings()) {
    if (std::string(setting.name).rfind("unused ", 0) == 0) continue;
    EXPECT_NE(text.find(std::string("`") + setting.name + "`"), std::string::npos) << setting.name;
  }
  for (const TPathName& name : PathNames()) {
    if (name.code >= 41) continue;
    EXPECT_NE(text.find("`{" + name.name + "}`"), std::string::npos) << name.name;
  }
}
