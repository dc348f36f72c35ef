// Writes the fuzzers' starting corpora, one subfolder each. The archive
// fuzzer's (archive/) are small, sound setup executables made with the packer
// library, covering both data area modes, stored and LZMA blocks, streams
// with and without an end marker, varied LZMA properties, resources and
// scripts with records and languages. Small dictionaries keep every fuzzing
// iteration cheap. The text fuzzers' come from text_seeds.
//
// usage: make_fuzz_seeds <folder>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "mksetup/archive_writer.h"
#include "mksetup/script_builder.h"
#include "text_seeds.h"

namespace {

constexpr int kDiskTemplateField = 21;
constexpr int kSolidModeField = 34;

TBytes Text(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"setup", "install", "folder", "program", "file", "the", "of", "and",
                                       "licence", "agreement", "next", "cancel", "finish", "component", "readme"};
  std::mt19937 random(seed);
  TBytes out;
  while (out.size() < size) {
    const char* word = kWords[random() % (sizeof kWords / sizeof kWords[0])];
    for (const char* p = word; *p && out.size() < size; ++p) out.push_back(uint8_t(*p));
    if (out.size() < size) out.push_back(random() % 9 == 0 ? '\n' : ' ');
  }
  return out;
}

TBytes Noise(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  TBytes out(size);
  for (uint8_t& b : out) b = uint8_t(random());
  return out;
}

TBytes Join(const TBytes& a, const TBytes& b) {
  TBytes out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

TBlockOptions Stored() {
  TBlockOptions options;
  options.compressed = false;
  return options;
}

TBlockOptions Lzma(uint32_t dictionary, bool endMarker, uint32_t lc = 3, uint32_t lp = 0, uint32_t pb = 2) {
  TBlockOptions options;
  options.lzma.dictionarySize = dictionary;
  options.lzma.endMarker = endMarker;
  options.lzma.lc = lc;
  options.lzma.lp = lp;
  options.lzma.pb = pb;
  return options;
}

struct TScriptShape {
  int languages = 1;
  bool allSections = false;  // a record in every section, not only files
};

TBytes MakeScript(bool solid, size_t files, const TScriptShape& shape) {
  TScriptBuilder script;
  script.SetField(0, "Example Product");
  script.SetField(kDiskTemplateField, "disk@$&%19.pak");
  script.SetField(kSolidModeField, solid ? "1" : "0");
  for (size_t i = 0; i < files; ++i)
    script.AddRecord(kSectionFiles, {"app\\file" + std::to_string(i) + ".bin", std::to_string(i % 3),
                                     "132500000000000000", i % 2 ? "1" : "0", "32"});
  script.AddRecord(kSectionFolders, {"app", "1"});
  if (shape.allSections) {
    script.AddRecord(kSectionRegistryVariables, {"2", "Software\\Example", "Path", "C:\\Example"});
    script.AddRecord(kSectionRegistry, {"2", "Software\\Example", "Version", "1.0", "1", "1", "1"});
    script.AddRecord(kSectionUninstallRegistry, {"2", "Software\\Example", ""});
    script.AddRecord(kSectionFonts, {"Example Sans", "example.ttf"});
    script.AddRecord(kSectionShortcuts, {"1", "Example", "app\\example.exe", "", "Runs it", "", "0", "app"});
    script.AddRecord(kSectionCommands, {"", "app\\post.exe", "/quiet", "0", "1", "1"});
    script.AddUninstallCommand({"", "app\\pre.exe", "", "0", "0", "1"});
    script.AddRecord(kSectionIni, {"app\\example.ini", "Main", "Path", "app", "1", "1"});
    script.AddRecord(kSectionUninstallerRecords, {"Example", "app"});
    script.AddRecord(kSectionComponents, {"app\\example.dll", "1"});
  }
  static const char* const kNames[][2] = {{"English", "1033"}, {"Deutsch", "1031"}, {"Francais", "1036"}};
  for (int i = 0; i < shape.languages; ++i)
    script.AddLanguage(kNames[i % 3][0], kNames[i % 3][1], i == 0 ? "" : "20", "",
                       {"", "Setup", "Next >", "< Back", "Cancel", std::string(kNames[i % 3][0]) + " text"});
  return script.Serialize();
}

struct TSeed {
  std::string name;
  TArchiveInput input;
};

TSeed MakeSeed(const std::string& name, bool solid, std::vector<TBytes> files, TBlockOptions block0,
               TBlockOptions fileBlocks, std::vector<TResourceItem> resources = {}, TScriptShape shape = {}) {
  TSeed seed;
  seed.name = name;
  TArchiveInput& in = seed.input;
  in.stub = Join({'M', 'Z'}, Text(200, 7));
  in.script = MakeScript(solid, files.size(), shape);
  in.resources = std::move(resources);
  in.files = std::move(files);
  in.solid = solid;
  in.block0 = block0;
  in.fileBlocks = fileBlocks;
  return seed;
}

std::vector<TSeed> MakeSeeds() {
  const TResourceItem picture{4, Join({'B', 'M'}, Noise(300, 41))};
  const TResourceItem licence{15, Text(900, 42)};
  const TResourceItem side{5, Join({'B', 'M'}, Noise(120, 43))};
  const TResourceItem background{6, Noise(64, 44)};
  const TResourceItem information{16, Text(400, 45)};
  const TResourceItem empty{20, {}};

  std::vector<TSeed> seeds;
  seeds.push_back(MakeSeed("solid_lzma", true, {Text(3000, 1), Noise(500, 2), Text(40, 3)},
                           Lzma(65536, true), Lzma(65536, true), {picture, licence}));
  seeds.push_back(MakeSeed("solid_lzma_no_end_marker", true, {Text(2000, 4), {}, Join(Text(700, 5), Noise(200, 6))},
                           Lzma(16384, false), Lzma(16384, false), {licence}));
  seeds.push_back(MakeSeed("solid_stored", true, {Text(600, 7), Noise(300, 8)}, Stored(), Stored(), {picture}));
  seeds.push_back(MakeSeed("solid_stored_block0_lzma_files", true, {Text(5000, 9), Text(5000, 9)}, Stored(),
                           Lzma(4096, true, 0, 2, 0), {side, background}));
  seeds.push_back(MakeSeed("solid_no_files", true, {}, Lzma(4096, true), Lzma(4096, true)));

  std::vector<TBytes> small;
  for (uint32_t i = 0; i < 24; ++i) small.push_back(i % 4 == 3 ? Noise(i * 11, i) : Text(i * 13, i));
  seeds.push_back(MakeSeed("solid_many_small_files", true, small, Lzma(4096, false, 1, 1, 1),
                           Lzma(4096, false, 1, 1, 1), {licence, information}));
  seeds.push_back(MakeSeed("solid_compressible", true, {Text(200000, 10)}, Lzma(65536, true), Lzma(65536, true)));

  seeds.push_back(MakeSeed("perfile_lzma", false, {Text(2500, 11), Noise(400, 12), Text(900, 13)},
                           Lzma(8192, true), Lzma(8192, true), {picture, licence}));
  seeds.push_back(MakeSeed("perfile_stored", false, {Text(700, 14), {}, Noise(100, 15)}, Stored(), Stored(),
                           {background}));
  seeds.push_back(MakeSeed("perfile_no_end_marker", false, {Text(3000, 16), Text(10, 17)}, Lzma(32768, false),
                           Lzma(32768, false), {licence, information, empty}, {2, false}));
  TSeed disks = MakeSeed("perfile_split_over_disks", false, {Text(3000, 18), Noise(3000, 19), Text(4000, 20)},
                         Lzma(4096, true), Stored());
  disks.input.diskSize = 8000;  // the third file's block runs on into disk 2
  seeds.push_back(std::move(disks));
  seeds.push_back(MakeSeed("perfile_block0_stored_pb4", false, {Text(1500, 21), Noise(256, 22)}, Stored(),
                           Lzma(4096, true, 0, 0, 4), {side}));
  seeds.push_back(MakeSeed("solid_all_sections_three_languages", true, {Text(1200, 23), Noise(90, 24)},
                           Stored(), Lzma(16384, true, 4, 0, 2),
                           {picture, side, background, {7, Noise(48, 25)}, {8, Noise(48, 26)}, licence, information},
                           {3, true}));
  return seeds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = std::filesystem::path(argv[1]) / "archive";
  std::filesystem::create_directories(folder);
  for (const TSeed& seed : MakeSeeds()) {
    TSetupImage image = BuildSetupImage(seed.input);
    const std::filesystem::path path = folder / (seed.name + ".exe");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.executable.data()), std::streamsize(image.executable.size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%-40s %7zu bytes\n", path.filename().c_str(), image.executable.size());
  }
  return WriteTextSeeds(argv[1]) ? 0 : 1;
}
