// Writes the inputs of bench/install_bench.sh: a solid setup whose files come
// from a seeded generator, the same files as plain files to compare an
// installation with, and the raw LZMA stream of the setup's file data area,
// taken out of the written setup itself, so that the reference decoder
// decodes exactly the bytes the setup decodes.
//
// usage: make_install_payload STUB OUTDIR [MiB of file data, default 128]
//                             [dictionary MiB, default 16]
//        make_install_payload --restub STUB OUTDIR
//            puts a newly built STUB in front of the archive of
//            OUTDIR/bench_setup.exe, without compressing everything again
//
// OUTDIR receives:
//   bench_setup.exe   STUB with the archive appended
//   payload.lzma      the data area's LZMA stream (5-byte header, LZMA1 data)
//   payload/...       every file as the setup installs it, by relative path
//   payload.list      one line per file: relative path (with /) and size
//   payload.env       shell assignments describing all of the above
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/archive_trailer.h"
#include "archive/block_reader.h"
#include "archive/crc32.h"
#include "mksetup/archive_writer.h"
#include "mksetup/script_builder.h"

namespace {

constexpr uint64_t kSeed = 20240612;
constexpr size_t kSmallestFile = 1024;
constexpr size_t kLargestFile = 16u << 20;
// A FILETIME in 2022: every installed file gets it as its three times.
constexpr const char* kFileTime = "133000000000000000";

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "make_install_payload: %s\n", what.c_str());
  std::exit(1);
}

// ---------------------------------------------------------------- the data

// Pseudo-words from syllables, so that text compresses like prose and not
// like a handful of repeated strings.
std::vector<std::string> MakeWordList(std::mt19937_64& random) {
  static const char* const kSyllables[] = {"ta", "re", "mon", "ex", "lin", "qu", "sa", "dor", "pe", "vi",
                                           "al", "ber", "cos", "du", "fra", "gen", "hal", "is", "ju", "ka"};
  std::vector<std::string> words(3000);
  for (std::string& word : words) {
    const int syllables = 1 + int(random() % 4);
    for (int i = 0; i < syllables; ++i) word += kSyllables[random() % 20];
  }
  return words;
}

void AppendText(TBytes& out, size_t length, std::mt19937_64& random, const std::vector<std::string>& words) {
  const size_t end = out.size() + length;
  while (out.size() < end) {
    // The smaller of two draws: frequent words are much more frequent.
    const std::string& word = words[std::min(random() % words.size(), random() % words.size())];
    out.insert(out.end(), word.begin(), word.end());
    const uint64_t r = random() % 16;
    out.push_back(r == 0 ? '\n' : r == 1 ? ',' : r == 2 ? '.' : ' ');
  }
  out.resize(end);
}

// Incompressible bytes, as in pictures or archives shipped with a product.
void AppendNoise(TBytes& out, size_t length, std::mt19937_64& random) {
  const size_t at = out.size();
  out.resize(at + length);
  for (size_t i = 0; i < length; i += 8) {
    const uint64_t r = random();
    std::memcpy(out.data() + at + i, &r, std::min<size_t>(8, length - i));
  }
}

// Half the files are text, a quarter noise, a quarter runs of both.
TBytes MakeFile(size_t size, std::mt19937_64& random, const std::vector<std::string>& words, const char*& kind) {
  TBytes file;
  file.reserve(size);
  const uint64_t pick = random() % 4;
  if (pick < 2) {
    kind = "text";
    AppendText(file, size, random, words);
  } else if (pick == 2) {
    kind = "noise";
    AppendNoise(file, size, random);
  } else {
    kind = "mixed";
    while (file.size() < size) {
      const size_t left = size - file.size();
      if (random() % 4 == 0) AppendNoise(file, std::min<size_t>(left, 16384 + random() % 262144), random);
      else AppendText(file, std::min<size_t>(left, 65536 + random() % 1048576), random, words);
    }
  }
  return file;
}

// A size between kSmallestFile and kLargestFile, evenly spread in its logarithm.
size_t LogUniformSize(std::mt19937_64& random, size_t smallest = kSmallestFile, size_t largest = kLargestFile) {
  const double unit = double(random() >> 11) / double(uint64_t(1) << 53);
  const double low = std::log(double(smallest)), high = std::log(double(largest));
  return size_t(std::exp(low + unit * (high - low)));
}

// The small-file payload: this many files of 4 to 64 KiB.
constexpr size_t kSmallFileCount = 5000;

struct TPayloadFile {
  std::string relativePath;  // with '/', under the installation folder
  TBytes bytes;
};

// A small payload's files stand in folders of this many, as a product's do.
constexpr size_t kSmallFilesPerFolder = 100;

enum class TPayloadKind { Mixed, Small, SmallFlat };

// Where a file goes. The mixed payload and the flat small one put every
// third file in a subfolder, so that the setup creates folders as well; the
// small one puts its files in folders of kSmallFilesPerFolder. (Under Wine,
// making a new name in a folder reads the whole folder, so a folder of
// thousands of files costs time that grows with the square of their number,
// which NTFS does not; the flat layout shows it.)
std::string RelativePath(size_t index, TPayloadKind kind) {
  char name[48];
  if (kind == TPayloadKind::Small)
    std::snprintf(name, sizeof name, "part%02zu/f%04zu.dat", index / kSmallFilesPerFolder, index);
  else
    std::snprintf(name, sizeof name, "%sf%03zu.dat", index % 3 == 2 ? "data/" : "", index);
  return name;
}

// Files until `total` bytes are reached (the last one cut to fit), or for a
// small payload kSmallFileCount files of 4 to 64 KiB.
std::vector<TPayloadFile> MakePayload(size_t total, TPayloadKind kind) {
  const bool small = kind != TPayloadKind::Mixed;
  std::mt19937_64 random(kSeed);
  const std::vector<std::string> words = MakeWordList(random);
  std::vector<TPayloadFile> files;
  size_t sum = 0, text = 0, noise = 0, mixed = 0;
  while (small ? files.size() < kSmallFileCount : sum < total) {
    const size_t size = small ? LogUniformSize(random, 4096, 65536) : std::min(LogUniformSize(random), total - sum);
    const char* content = "";
    TPayloadFile file;
    file.relativePath = RelativePath(files.size(), kind);
    file.bytes = MakeFile(size, random, words, content);
    (std::strcmp(content, "text") == 0 ? text : std::strcmp(content, "noise") == 0 ? noise : mixed) += size;
    sum += size;
    files.push_back(std::move(file));
  }
  std::printf("%zu files, %zu bytes: text %zu, noise %zu, mixed %zu\n", files.size(), sum, text, noise, mixed);
  return files;
}

// ---------------------------------------------------------------- the setup

std::string TargetPath(const std::string& relativePath) {
  std::string path = "@$&%04\\" + relativePath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

TBytes MakeScript(const std::vector<TPayloadFile>& files, bool solid) {
  TScriptBuilder script;
  // Every start-up check passes: every OS class, no administrator, .NET or
  // program to close.
  for (auto [field, value] : std::initializer_list<std::pair<int, const char*>>{
           {1, "0"}, {2, "0"}, {61, "511"}, {99, "0"}, {100, "0"}, {103, "0"}, {110, "0"}})
    script.SetField(field, value);
  // No wizard page is asked for (the run is silent anyway).
  for (int page : {22, 30, 84, 86, 111, 112, 113, 114, 115, 116}) script.SetField(page, "0");
  script.SetField(34, solid ? "1" : "0");
  script.SetField(58, "C:\\BenchDefault");
  script.SetField(65, "Installation benchmark");
  script.SetField(48, std::to_string(files.size()));
  std::vector<std::string> messages;
  for (int m = 1; m <= 87; ++m) messages.push_back("Message " + std::to_string(m));
  script.AddLanguage("English", "1033", "", "", messages);
  for (const TPayloadFile& file : files)
    script.AddRecord(kSectionFiles, {TargetPath(file.relativePath), "1", kFileTime, "0", "32"});
  return script.Serialize();
}

// The LZMA stream of the solid data area, as its chunks carry it: the
// block header and each chunk's CRC-32 taken away, every CRC checked.
TBytes DeframeDataArea(const TBytes& executable, TArchiveTrailer& trailer) {
  if (executable.size() < size_t(kTrailerSize)) Fail("the setup is shorter than a trailer");
  DecodeArchiveTrailer(executable.data() + executable.size() - kTrailerSize, trailer);
  if (!TrailerFitsFile(trailer, executable.size())) Fail("the written trailer does not fit the setup");
  const uint8_t* block = executable.data() + trailer.dataOffset;
  if (trailer.dataSize < uint64_t(kBlockHeaderSize) || Crc32(block + 4, 5) != LoadLE32(block))
    Fail("the data area does not start with a sound block header");
  const uint32_t stored = LoadLE32(block + 4);
  if (block[8] == 0) Fail("the data area is a stored block, not an LZMA stream");
  if (uint64_t(kBlockHeaderSize) + stored != trailer.dataSize) Fail("the solid block does not fill the data area");
  TBytes stream;
  stream.reserve(stored);
  const uint8_t* at = block + kBlockHeaderSize;
  for (uint32_t remaining = stored; remaining > 0;) {
    if (remaining <= 4) Fail("a chunk without data");
    const uint32_t n = std::min<uint32_t>(uint32_t(kChunkDataSize), remaining - 4);
    if (Crc32(at + 4, n) != LoadLE32(at)) Fail("a chunk's CRC-32 does not match");
    stream.insert(stream.end(), at + 4, at + 4 + n);
    at += 4 + n;
    remaining -= 4 + n;
  }
  return stream;
}

// ---------------------------------------------------------------- output

void MakeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) Fail("cannot create " + path);
}

void WriteFile(const std::string& path, const TBytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) Fail("cannot create " + path);
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) Fail("cannot write " + path);
}

void WriteText(const std::string& path, const std::string& text) { WriteFile(path, TBytes(text.begin(), text.end())); }

size_t Argument(int argc, char** argv, int i, size_t fallback) {
  if (argc <= i) return fallback;
  char* end = nullptr;
  const unsigned long value = std::strtoul(argv[i], &end, 10);
  if (*end != '\0' || value == 0) Fail(std::string("not a positive number: ") + argv[i]);
  return value;
}

TBytes ReadFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) Fail("cannot open " + path);
  TBytes bytes;
  uint8_t buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(f);
  return bytes;
}

// The archive does not depend on where it starts, except for the trailer's
// two offsets: a new stub only shifts them.
TBytes Restubbed(const TBytes& old, const TBytes& stub) {
  TArchiveTrailer trailer;
  DecodeArchiveTrailer(old.data() + old.size() - kTrailerSize, trailer);
  TBytes setup = stub;
  setup.insert(setup.end(), old.begin() + long(trailer.block0Offset), old.end());
  trailer.dataOffset = trailer.dataOffset - trailer.block0Offset + stub.size();
  trailer.block0Offset = stub.size();
  EncodeArchiveTrailer(trailer, setup.data() + setup.size() - kTrailerSize);
  return setup;
}

void Replace(const std::string& path, const TBytes& bytes) {
  WriteFile(path + ".new", bytes);
  if (std::rename((path + ".new").c_str(), path.c_str()) != 0) Fail("cannot replace " + path);
  std::printf("wrote %s: the archive behind the new stub, %zu bytes\n", path.c_str(), bytes.size());
}

int Restub(const std::string& stubPath, const std::string& out) {
  const TBytes stub = ReadFile(stubPath);
  const std::string setupPath = out + "/bench_setup.exe";
  const TBytes setup = Restubbed(ReadFile(setupPath), stub);
  TArchiveTrailer check;
  if (DeframeDataArea(setup, check) != ReadFile(out + "/payload.lzma")) Fail("the new setup does not hold payload.lzma");
  Replace(setupPath, setup);
  const std::string perFilePath = out + "/bench_setup_perfile.exe";
  Replace(perFilePath, Restubbed(ReadFile(perFilePath), stub));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--restub") == 0) return Restub(argv[2], argv[3]);
  if (argc < 3 || argc > 6) {
    std::fprintf(stderr,
                 "usage: make_install_payload STUB OUTDIR [MiB, default 128] [dictionary MiB, default 16] "
                 "[small|small-flat]\n"
                 "       (small: %zu files of 4 to 64 KiB in place of MiB, in folders of %zu; small-flat: the same\n"
                 "       files, two thirds of them in one folder and the rest in another)\n",
                 kSmallFileCount, kSmallFilesPerFolder);
    return 2;
  }
  const char* kindName = argc == 6 ? argv[5] : "mixed";
  const TPayloadKind kind = std::strcmp(kindName, "small") == 0        ? TPayloadKind::Small
                            : std::strcmp(kindName, "small-flat") == 0 ? TPayloadKind::SmallFlat
                                                                       : TPayloadKind::Mixed;
  if (kind == TPayloadKind::Mixed) kindName = "mixed";
  const std::string out = argv[2];
  const size_t mebibytes = Argument(argc, argv, 3, 128);
  const size_t dictionaryMiB = Argument(argc, argv, 4, 16);
  if (dictionaryMiB > 32) Fail("the setup reads dictionaries of at most 32 MiB");

  const std::vector<TPayloadFile> files = MakePayload(mebibytes << 20, kind);

  TArchiveInput input;
  input.stub = ReadFile(argv[1]);
  input.script = MakeScript(files, true);
  input.solid = true;
  input.fileBlocks.lzma.lc = 3;
  input.fileBlocks.lzma.lp = 0;
  input.fileBlocks.lzma.pb = 2;
  input.fileBlocks.lzma.dictionarySize = uint32_t(dictionaryMiB << 20);
  size_t fileBytes = 0;
  for (const TPayloadFile& file : files) {
    input.files.push_back(file.bytes);
    fileBytes += file.bytes.size();
  }
  const size_t contentBytes = fileBytes + 4 * files.size();  // each file an item: a 4-byte length first
  std::printf("compressing %zu bytes of block content: LZMA lc3 lp0 pb2, dictionary %zu MiB, preset %u...\n",
              contentBytes, dictionaryMiB, input.fileBlocks.lzma.preset);
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  const TSetupImage image = BuildSetupImage(input);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  TArchiveTrailer trailer;
  const TBytes stream = DeframeDataArea(image.executable, trailer);
  std::printf("compressed in %.1f s: setup %zu bytes, data area %llu bytes, LZMA stream %zu bytes (ratio %.3f)\n",
              seconds, image.executable.size(), static_cast<unsigned long long>(trailer.dataSize), stream.size(),
              double(stream.size()) / double(contentBytes));

  // The same files in per-file mode: one block each, with the same options.
  TArchiveInput perFile = input;
  perFile.solid = false;
  perFile.script = MakeScript(files, false);
  std::printf("compressing them again in per-file mode...\n");
  std::fflush(stdout);
  const TSetupImage perFileImage = BuildSetupImage(perFile);

  MakeFolder(out);
  MakeFolder(out + "/payload");
  WriteFile(out + "/bench_setup_perfile.exe", perFileImage.executable);
  for (const TPayloadFile& file : files)
    MakeFolder(out + "/payload/" + file.relativePath.substr(0, file.relativePath.rfind('/') + 1));
  WriteFile(out + "/bench_setup.exe", image.executable);
  WriteFile(out + "/payload.lzma", stream);
  std::string list;
  for (const TPayloadFile& file : files) {
    WriteFile(out + "/payload/" + file.relativePath, file.bytes);
    list += file.relativePath + " " + std::to_string(file.bytes.size()) + "\n";
  }
  WriteText(out + "/payload.list", list);

  // The decoder's output is the block content: every file behind its length.
  uint32_t contentCrc = 0xFFFFFFFFu;
  for (const TPayloadFile& file : files) {
    uint8_t length[4];
    StoreLE32(length, uint32_t(file.bytes.size()));
    contentCrc = Crc32Update(contentCrc, length, 4);
    contentCrc = Crc32Update(contentCrc, file.bytes.data(), file.bytes.size());
  }
  char env[512];
  std::snprintf(env, sizeof env,
                "PAYLOAD_MIB=%zu\nDICTIONARY_MIB=%zu\nPAYLOAD_FILES=%zu\nPAYLOAD_BYTES=%zu\nCONTENT_BYTES=%zu\n"
                "CONTENT_CRC32=%08X\nSTREAM_BYTES=%zu\nCOMPRESS_SECONDS=%.1f\nPAYLOAD_KIND=%s\n",
                mebibytes, dictionaryMiB, files.size(), fileBytes, contentBytes, ~contentCrc, stream.size(), seconds,
                kindName);
  WriteText(out + "/payload.env", env);
  std::printf("wrote %s/bench_setup.exe, bench_setup_perfile.exe, payload.lzma, payload.list, payload.env and %zu "
              "files under payload/\n",
              out.c_str(), files.size());
  return 0;
}
