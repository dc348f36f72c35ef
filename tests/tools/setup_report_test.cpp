// mksetup inspect reads back what the packer wrote, finds damage wherever it
// lies, and names the signer of a signed setup.
#include "mksetup/setup_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>

#include "mksetup/publisher_layer.h"
#include "mksetup/script_builder.h"
#include "test_support.h"
#include "toolkit/memory_stream.h"

namespace fs = std::filesystem;

namespace {

const char kTime[] = "133590402451230000";  // 2024-05-01 12:30:45.123 UTC

// Two files (the first spread over the setup and two disk files when split),
// a resource, records of several sections and a language.
TArchiveInput SampleInput(bool solid) {
  TScriptBuilder script;
  script.SetField(65, "Inspect \xC4 \"quoted\"");
  script.SetField(21, "part@$&%19.pak");
  script.SetField(34, solid ? "1" : "0");
  script.AddRecord(kSectionRegistry, {"1", "Software\\Inspect", "Folder", "@$&%04", "0", "1", "1"});
  script.AddRecord(kSectionCommands, {"", "@$&%04\\run.exe", "/x", "1", "1", "0"});
  script.AddUninstallCommand({"", "@$&%04\\undo.exe"});
  script.AddLanguage("English", "1033", "", "", {"Welcome\r\nto the test"});
  script.AddRecord(kSectionFiles, {"@$&%04\\big.bin", "1", kTime, "1", "32"});
  script.AddRecord(kSectionFiles, {"@$&%04\\small.txt", "2", "0", "0", "1"});
  TArchiveInput input;
  input.stub = TBytes(512, 'M');
  input.script = script.Serialize();
  input.resources = {{15, TextBytes("licence text")}};
  input.files = {MixedBytes(30000, 3), TextBytes("small")};
  input.solid = solid;
  // Per-file: stored blocks of known length, 30,045 and 22 bytes, split
  // 12,000 / 12,000 / 6,067 over the setup and two disks.
  if (!solid) input.fileBlocks = Stored();
  input.diskSize = solid ? 0 : 12000;
  return input;
}

class Inspect : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("inspect_test_" + std::to_string(std::random_device()()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  void Write(const std::string& name, const TBytes& bytes) const {
    std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
  }

  // The setup and its disk files in the test's folder; returns the setup's path.
  std::string WriteSetup(const TSetupImage& image) const {
    Write("setup.exe", image.executable);
    for (size_t i = 0; i < image.disks.size(); ++i) Write("part" + std::to_string(i + 2) + ".pak", image.disks[i]);
    return Path("setup.exe");
  }

  fs::path folder_;
};

}  // namespace

TEST_F(Inspect, ReadsBackEverythingOfASplitAndASolidSetup) {
  for (bool solid : {false, true}) {
    const TSetupImage image = BuildSetupImage(SampleInput(solid));
    ASSERT_EQ(image.disks.size(), solid ? 0u : 2u);
    const TInspection in = InspectSetup(WriteSetup(image));
    SCOPED_TRACE(solid ? "solid" : "per-file");
    EXPECT_EQ(InspectionExitCode(in), 0) << (in.problems.empty() ? "" : in.problems[0]);
    EXPECT_EQ(in.solid, solid);
    EXPECT_FALSE(in.signature.isSigned);

    EXPECT_TRUE(in.block0.headerSound && in.block0.compressed);
    ASSERT_EQ(in.fileBlocks.size(), solid ? 1u : 2u);
    EXPECT_EQ(in.fileBlocks[0].offset, in.trailer.dataOffset);
    EXPECT_EQ(in.fileBlocks[0].compressed, solid);
    if (!solid) {
      EXPECT_EQ(in.fileBlocks[0].chunkCount, 8u);
      EXPECT_EQ(in.fileBlocks[1].disk, 3);
      EXPECT_EQ(in.fileBlocks[1].offset, 6045u);
    }

    ASSERT_EQ(in.files.size(), 2u);
    EXPECT_EQ(in.files[0].size, 30000);
    EXPECT_EQ(in.files[1].size, 5);
    EXPECT_EQ(UtcTimeText(in.files[0].time), "2024-05-01 12:30:45");
    EXPECT_EQ(UtcTimeText(in.files[1].time), "1601-01-01 00:00:00");
    ASSERT_EQ(in.resources.size(), 1u);
    EXPECT_EQ(in.resources[0].size, 12);

    ASSERT_EQ(in.records.size(), 3u);
    EXPECT_EQ(in.records[1].kind, "command");
    EXPECT_EQ(in.records[2].kind, "uninstall command");
    EXPECT_EQ(in.records[2].values[1], "@$&%04\\undo.exe");
    ASSERT_EQ(in.languages.size(), 1u);
    EXPECT_EQ(in.languages[0].id, "1033");
    EXPECT_EQ(in.languages[0].messages.size(), 87u);

    const std::string text = InspectionText(in);
    EXPECT_NE(text.find(solid ? "blocks (solid mode):\n" : "blocks (per-file mode):\n"), std::string::npos) << text;
    for (const char* line :
         {"   65 title = Inspect \xC4 \"quoted\"\n", "   21 disk name = part@$&%19.pak (part{disk number}.pak)\n",
          "  [registry]\n    root = 1 (HKCU)\n    key = Software\\Inspect\n    name = Folder\n"
          "    data = @$&%04 ({install})\n    type = 0 (text)\n    overwrite = 1 (on)\n",
          "    phase = 1\n", "     message 1: Welcome\\nto the test\n",
          "  @$&%04\\big.bin ({install}\\big.bin): 30000 bytes, time 2024-05-01 12:30:45 UTC, existing 1 (overwrite), "
          "uninstall 1 (on), attributes 32 (archive)\n",
          "existing 2 (newer), uninstall 0 (off), attributes 1 (readonly)\n", "result: sound\n"})
      EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    const std::string json = InspectionJson(in);
    for (const char* member :
         {R"({"field": 65, "name": "title", "value": "Inspect \u00C4 \"quoted\"", "named": null})",
          R"({"field": 21, "name": "disk name", "value": "part@$&%19.pak", "named": "part{disk number}.pak"})",
          R"("Welcome\u000D\u000Ato the test")",
          R"("utc": "2024-05-01 12:30:45")", R"("key": "Software\\Inspect")",
          R"("named": {"root": "HKCU", "data": "{install}", "type": "text", "overwrite": "on", "remove": "on"}})",
          R"("named": {"target": "{install}\\big.bin", "existing": "overwrite", "uninstall": "on", "attributes": "archive"}})",
          R"("sound": true)"})
      EXPECT_NE(json.find(member), std::string::npos) << member;
  }
}

// The named form a report shows is what a publisher writes: packed again
// it gives the same stored value. Values mksetup never writes in the named
// layer, or that have no name, get none.
TEST(NamedForms, AreWhatThePublisherWritesAndNothingElse) {
  const std::nullopt_t none = std::nullopt;
  // Header fields are given as section -1.
  struct TCase {
    int section;
    size_t field;
    std::string stored;
    std::optional<std::string> named;
  } cases[] = {
      {kSectionRegistry, 0, "1", "HKCU"}, {kSectionUninstallRegistry, 0, "6", "HKDD"}, {kSectionRegistry, 0, "7", none},
      {kSectionRegistry, 0, "01", none},  {kSectionRegistry, 4, "3", "key"},          {kSectionRegistry, 6, "0", "off"},
      {kSectionRegistry, 6, "2", none},  // read as off by the setup, never written by mksetup
      {kSectionShortcuts, 0, "3", "quick launch"}, {kSectionShortcuts, 6, "2", none}, {kSectionFiles, 1, "2", "newer"},
      {kSectionFiles, 4, "135", "readonly hidden system normal"}, {kSectionFiles, 4, "8", none},
      {kSectionCommands, 4, "1", none},  // a phase has no name
      {kSectionShortcuts, 2, "@$&%44\\a.exe @$&%81", "{short install}\\a.exe {variable 0}"},
      {kSectionFolders, 0, "@$&%36\\x@$&%4x@$&%0", none},  // no such code, no two digits, cut short
      {-1, 4, "8388608", "#000080"}, {-1, 4, "2147483663", none}, {-1, 110, "1", "on"}, {-1, 110, "", none},
      {-1, 41, "0", "off"}, {-1, 58, "@$&%01\\Notes", "{program files}\\Notes"}, {-1, 61, "511", none},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.section) + "/" + std::to_string(c.field) + " = " + c.stored);
    const TSection section = TSection(c.section);
    const THeaderSetting& setting = HeaderSettingOf(int(c.field));
    const std::optional<std::string> named =
        c.section < 0 ? NamedSettingValue(setting, c.stored) : NamedRecordField(section, c.field, c.stored);
    EXPECT_EQ(named, c.named);
    std::string error;
    if (named) {
      EXPECT_EQ(c.section < 0 ? SettingValue(setting, *named, {}, error)
                              : RecordFieldValue(section, c.field, *named, {}, error),
                c.stored)
          << error;
    }
  }
}

TEST_F(Inspect, FindsDamageWhereverItIsAndStillShowsWhatItCouldRead) {
  const TSetupImage sound = BuildSetupImage(SampleInput(false));
  TArchiveTrailer trailer;
  DecodeArchiveTrailer(sound.executable.data() + sound.executable.size() - kTrailerSize, trailer);
  const size_t block0 = size_t(trailer.block0Offset);
  struct TCase {
    const char* what;
    std::function<void(TSetupImage&)> damage;
    std::string problem;         // the first problem reported
    std::vector<int64_t> sizes;  // of the files listed; -1: unreadable
  } cases[] = {
      {"a byte of block 0's data", [&](TSetupImage& s) { s.executable[block0 + 20] ^= 0x10; },
       "block 0: the CRC of chunk 1 of 1 at offset " + std::to_string(block0 + 9) + " of the setup", {}},
      // Area offset 17,000, in the fifth chunk, which starts at 9 + 4 x 4,100.
      {"a byte of the first file on disk 2", [](TSetupImage& s) { s.disks[0][5000] ^= 1; },
       "file block 1: the CRC of chunk 5 of 8 at offset 4409 of disk 2 does not match its data", {-1, 5}},
      {"a missing disk", [](TSetupImage& s) { s.disks.pop_back(); }, "disk 3 is missing: ", {-1, -1}},
      {"the setup cut short", [](TSetupImage& s) { s.executable.resize(s.executable.size() - 7); },
       "trailer at offset ", {}},
  };
  for (const TCase& c : cases) {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    TSetupImage image = sound;
    c.damage(image);
    const TInspection in = InspectSetup(WriteSetup(image));
    EXPECT_EQ(InspectionExitCode(in), 3) << c.what;
    ASSERT_FALSE(in.problems.empty()) << c.what;
    EXPECT_EQ(in.problems[0].find(c.problem), 0u) << c.what << ": " << in.problems[0];
    std::vector<int64_t> sizes;
    for (const TFileInfo& file : in.files) sizes.push_back(file.size);
    EXPECT_EQ(sizes, c.sizes) << c.what;
    EXPECT_NE(InspectionText(in).find("result: damaged"), std::string::npos) << c.what;
  }
}

namespace {

// DER, enough of it for a SignedData with two certificates.
TBytes Der(uint8_t tag, std::initializer_list<TBytes> parts) {
  const TBytes body = Concat(parts);
  TBytes out = {tag};
  if (body.size() >= 0x80) out.push_back(0x82), out.push_back(uint8_t(body.size() >> 8));
  out.push_back(uint8_t(body.size()));
  return Concat({out, body});
}

TBytes Name(const std::string& organisation, const std::string& commonName) {
  auto attribute = [](uint8_t type, uint8_t stringTag, const std::string& value) {
    return Der(0x31, {Der(0x30, {Der(0x06, {{0x55, 0x04, type}}), Der(stringTag, {TextBytes(value)})})});
  };
  return Der(0x30, {attribute(0x0A, 0x0C, organisation), attribute(0x03, 0x13, commonName)});
}

// With a key id, the certificate carries it as its subject key identifier
// extension, after a key usage extension marked critical.
TBytes Certificate(uint8_t serial, const TBytes& issuer, const TBytes& subject, const TBytes& keyId = {}) {
  const TBytes algorithm = Der(0x30, {Der(0x06, {{0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x04, 0x03, 0x02}})});
  TBytes extensions;
  if (!keyId.empty())
    extensions = Der(0xA3, {Der(0x30, {Der(0x30, {Der(0x06, {{0x55, 0x1D, 0x0F}}), Der(0x01, {{0xFF}}),
                                                  Der(0x04, {Der(0x03, {{0x07, 0x80}})})}),
                                       Der(0x30, {Der(0x06, {{0x55, 0x1D, 0x0E}}), Der(0x04, {Der(0x04, {keyId})})})})});
  return Der(0x30, {Der(0x30, {Der(0xA0, {Der(0x02, {{2}})}), Der(0x02, {{serial}}), algorithm, issuer, Der(0x30, {}),
                               subject, Der(0x30, {}), extensions}),
                    algorithm, Der(0x03, {{0}})});
}

const TBytes kRootKeyId = {0x11, 0x22, 0x33}, kSignerKeyId = {0x44, 0x55, 0x66, 0x77};

// The root's certificate first: the signer is found by issuer and serial
// number, and the root has the same issuer. signerId replaces the issuer
// and serial number of the signer info (a [0] subject key identifier).
TBytes SignedData(const std::string& organisation = "Inspect \xC3\x84 Ltd", const TBytes& signerId = {}) {
  const TBytes root = Name("Root Org", "Root CA");
  const TBytes signerInfo =
      Der(0x30, {Der(0x02, {{signerId.empty() ? uint8_t(1) : uint8_t(3)}}),
                 signerId.empty() ? Der(0x30, {root, Der(0x02, {{7}})}) : signerId});
  const TBytes content = Der(
      0x30,
      {Der(0x02, {{1}}), Der(0x31, {}), Der(0x30, {Der(0x06, {{0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 1, 7, 1}})}),
       Der(0xA0, {Certificate(1, root, root, kRootKeyId),
                  Certificate(7, root, Name(organisation, "Inspect Signer"), kSignerKeyId)}),
       Der(0x31, {signerInfo})});
  return Der(0x30, {Der(0x06, {{0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 1, 7, 2}}), Der(0xA0, {content})});
}

// A PE32 header up to its 16 data directories, as a signing tool reads it.
constexpr size_t kSecurityEntry = 0x40 + 24 + 96 + 4 * 8;
TBytes PeStub() {
  TBytes stub(1024, 0);
  stub[0] = 'M', stub[1] = 'Z';
  StoreLE32(stub.data() + 0x3C, 0x40);
  stub[0x40] = 'P', stub[0x41] = 'E';
  stub[0x40 + 20] = 224;
  stub[0x40 + 24] = 0x0B, stub[0x40 + 25] = 0x01;
  StoreLE32(stub.data() + 0x40 + 24 + 92, 16);
  return stub;
}

// What a signing tool does: a WIN_CERTIFICATE with the DER, padded to 8 bytes.
TBytes Signed(TBytes setup, const TBytes& der) {
  TBytes entry(8);
  StoreLE32(entry.data(), uint32_t(8 + der.size()));
  entry[5] = 0x02;  // revision 2.0
  entry[6] = 0x02;  // PKCS#7 SignedData
  entry = Concat({entry, der, TBytes((8 - der.size() % 8) % 8, 0)});
  StoreLE32(setup.data() + kSecurityEntry, uint32_t(setup.size()));
  StoreLE32(setup.data() + kSecurityEntry + 4, uint32_t(entry.size()));
  return Concat({setup, entry});
}

}  // namespace

TEST_F(Inspect, NamesTheSignerOfASignedSetupAndNeverTrustsTheSignature) {
  TArchiveInput input = SampleInput(true);
  input.stub = PeStub();
  const TBytes setup = BuildSetupImage(input).executable;
  const TBytes der = SignedData();

  const TInspection in = InspectSetup(WriteSetup({Signed(setup, der), {}}));
  EXPECT_EQ(InspectionExitCode(in), 0) << (in.problems.empty() ? "" : in.problems[0]);
  EXPECT_EQ(in.archiveEnd, setup.size());
  EXPECT_TRUE(in.signature.isSigned && in.signature.signerKnown);
  EXPECT_EQ(in.signature.commonName, "Inspect Signer");
  EXPECT_EQ(in.signature.organisation, "Inspect \xC3\x84 Ltd");
  EXPECT_NE(InspectionText(in).find("signed: yes, by Inspect Signer (Inspect \xC3\x84 Ltd)\n"), std::string::npos);

  TBytes otherSerial = der;  // its last byte, the signer's serial number 7, made 8: no certificate matches
  otherSerial.back() = 8;
  struct TCase {
    const char* what;
    TBytes file;
    bool isSigned, signerKnown;
  } cases[] = {
      {"unsigned", setup, false, false},
      {"a length running past the table", Signed(setup, Concat({{0x30, 0x84, 0x7F, 0, 0, 0}, der})), true, false},
      {"the DER cut in half", Signed(setup, TBytes(der.begin(), der.begin() + long(der.size() / 2))), true, false},
      {"no certificate of the signer", Signed(setup, otherSerial), true, false},
  };
  for (const TCase& c : cases) {
    TMemoryStream stream(c.file);
    const TSignatureInfo info = ReadSignatureInfo(stream);
    EXPECT_EQ(info.isSigned, c.isSigned) << c.what;
    EXPECT_EQ(info.signerKnown, c.signerKnown) << c.what;
    EXPECT_TRUE(info.commonName.empty()) << c.what;
  }
}

TEST(SignerSubject, IsFoundBySubjectKeyIdentifierToo) {
  struct TCase {
    const char* what;
    TBytes signerId;
    bool found;
    std::string commonName;
  } cases[] = {
      {"the signer's key id", Der(0x80, {kSignerKeyId}), true, "Inspect Signer"},
      {"the root's key id", Der(0x80, {kRootKeyId}), true, "Root CA"},
      {"a key id of no certificate", Der(0x80, {{0x44, 0x55, 0x66}}), false, ""},
      {"an empty key id", Der(0x80, {}), false, ""},
      {"a key id tagged as constructed", Der(0xA0, {kSignerKeyId}), false, ""},
  };
  for (const TCase& c : cases) {
    const TBytes der = SignedData("Org", c.signerId);
    std::string commonName, organisation;
    EXPECT_EQ(ReadSignerSubject(der.data(), der.size(), commonName, organisation), c.found) << c.what;
    EXPECT_EQ(commonName, c.commonName) << c.what;
  }
}

// A UTF8String subject name with every kind of fault: one U+FFFD for each
// byte that starts no character, the bytes after it read afresh.
TEST(SignerSubject, Utf8NamesReplaceEveryByteThatStartsNoCharacter) {
  const std::string bad = "\xEF\xBF\xBD";  // U+FFFD
  struct TCase {
    std::string bytes, text;
  } cases[] = {
      {"\xC3\x84\xE2\x82\xAC\xF4\x8F\xBF\xBF", "\xC3\x84\xE2\x82\xAC\xF4\x8F\xBF\xBF"},  // sound, up to U+10FFFF
      {"A\xF5\x80\x80" "B\xFF", "A" + bad + bad + bad + "B" + bad},                      // lead bytes F5 to FF
      {"\x80\xC0\xAF", bad + bad + bad},                  // a lone continuation byte, an overlong pair
      {"\xF0\x8F\xBF\xBF", bad + bad + bad + bad},        // an overlong four
      {"\xED\xA0\x80", bad + bad + bad},                  // a UTF-16 surrogate
      {"\xF4\x90\x80\x80", bad + bad + bad + bad},        // above U+10FFFF
      {"\xE2\x82" "A\xE2\x82", bad + bad + "A" + bad + bad},  // cut short by ASCII and by the end
  };
  for (const TCase& c : cases) {
    const TBytes der = SignedData(c.bytes);
    std::string commonName, organisation;
    ASSERT_TRUE(ReadSignerSubject(der.data(), der.size(), commonName, organisation)) << c.text;
    EXPECT_EQ(organisation, c.text);
  }
}
