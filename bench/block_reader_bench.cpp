// How fast a solid block decompresses through TCompressedBlockReader and
// TLZMADecompressor, read item by item in 8,192-byte pieces as the file
// extraction reads it, compared with plain liblzma decoding the very same
// LZMA stream into one buffer. Both run in the same process, in alternating
// rounds. Target: the median of the per-round ratios block reader / liblzma
// is at least 0.98. The result is printed, never enforced.
//
// usage: block_reader_bench [MiB of file data, default 64] [rounds, default 11]
#include <lzma.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "archive/block_reader.h"
#include "archive/lzma_decompressor.h"
#include "mksetup/archive_writer.h"
#include "toolkit/memory_stream.h"
#include "toolkit/read_item.h"

namespace {

constexpr uint32_t kDictionarySize = 8u << 20;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "block_reader_bench: %s\n", what.c_str());
  std::abort();
}

// Pseudo-words from syllables, so that text compresses like prose and not
// like a handful of repeated strings.
std::vector<std::string> MakeWordList(std::mt19937_64& random) {
  static const char* const kSyllables[] = {"ta", "re", "mon", "ex", "lin", "qu", "sa", "dor", "pe", "vi",
                                           "al", "ber", "cos", "du", "fra", "gen", "hal", "is", "ju", "ka"};
  std::vector<std::string> words(3000);
  for (std::string& word : words) {
    int syllables = 1 + int(random() % 4);
    for (int i = 0; i < syllables; ++i) word += kSyllables[random() % 20];
  }
  return words;
}

void AppendText(TBytes& out, size_t length, std::mt19937_64& random, const std::vector<std::string>& words) {
  size_t end = out.size() + length;
  while (out.size() < end) {
    // The smaller of two draws: frequent words are much more frequent.
    size_t index = std::min(random() % words.size(), random() % words.size());
    const std::string& word = words[index];
    out.insert(out.end(), word.begin(), word.end());
    uint64_t r = random() % 16;
    out.push_back(r == 0 ? '\n' : r == 1 ? ',' : r == 2 ? '.' : ' ');
  }
  out.resize(end);
}

void AppendNoise(TBytes& out, size_t length, std::mt19937_64& random) {
  size_t at = out.size();
  out.resize(at + length);
  for (size_t i = 0; i < length; i += 8) {
    uint64_t r = random();
    std::memcpy(out.data() + at + i, &r, std::min<size_t>(8, length - i));
  }
}

// Files of log-uniform sizes (100 bytes to 2 MiB), their bytes runs of text
// (about three quarters) and of incompressible noise, as items of one block.
TBytes MakeBlockContent(size_t fileBytes, size_t& fileCount) {
  std::mt19937_64 random(20240611);
  const std::vector<std::string> words = MakeWordList(random);
  TBytes data;
  data.reserve(fileBytes + (2u << 20));
  while (data.size() < fileBytes) {
    if (random() % 4 == 0)
      AppendNoise(data, 16384 + random() % 262144, random);
    else
      AppendText(data, 65536 + random() % 1048576, random, words);
  }
  data.resize(fileBytes);

  TBytes content;
  content.reserve(fileBytes + fileBytes / 64);
  fileCount = 0;
  std::uniform_real_distribution<double> logSize(std::log(100.0), std::log(2097152.0));
  for (size_t at = 0; at < data.size(); ++fileCount) {
    size_t n = std::min(size_t(std::exp(logSize(random))), data.size() - at);
    AppendItem(content, TBytes(data.begin() + long(at), data.begin() + long(at + n)));
    at += n;
  }
  return content;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// (a) The product's way: a block reader over the framed block in memory,
// items read as the file extraction reads them (length, then pieces of at
// most 8,192 bytes), straight into out.
double ReadThroughBlockReader(TMemoryStream& block, size_t fileCount, uint8_t* out, size_t outSize) {
  block.Seek(0, TSeekOrigin::Start);
  auto start = std::chrono::steady_clock::now();
  {
    TCompressedBlockReader reader(block, &TLZMADecompressor::Create);
    size_t at = 0;
    for (size_t i = 0; i < fileCount; ++i) {
      int32_t length = 0;
      if (at + 4 > outSize || !ReadItemLength(reader, length)) Fail("block reader: item length not delivered");
      StoreLE32(out + at, uint32_t(length));
      at += 4;
      for (int32_t remaining = length; remaining > 0;) {
        int32_t n = std::min(remaining, kItemPieceSize);
        if (at + size_t(n) > outSize || !reader.Read(out + at, n)) Fail("block reader: item bytes not delivered");
        at += size_t(n);
        remaining -= n;
      }
    }
    if (at != outSize) Fail("block reader: content size differs");
  }
  return Seconds(std::chrono::steady_clock::now() - start);
}

// (b) liblzma alone: the raw LZMA1 decoder over the same stream (the block
// data without its chunk framing), into one buffer. out has one spare byte
// so that the decoder can read the end marker with output space left.
double DecodeWithLiblzma(const TBytes& stream, uint8_t* out, size_t contentSize) {
  auto start = std::chrono::steady_clock::now();
  lzma_options_lzma options{};
  options.dict_size = LoadLE32(stream.data() + 1);
  options.lc = stream[0] % 9;
  options.lp = stream[0] / 9 % 5;
  options.pb = stream[0] / 45;
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_stream s = LZMA_STREAM_INIT;
  if (lzma_raw_decoder(&s, filters) != LZMA_OK) Fail("liblzma: decoder refused the stream header");
  s.next_in = stream.data() + 5;
  s.avail_in = stream.size() - 5;
  s.next_out = out;
  s.avail_out = contentSize + 1;
  lzma_ret r = LZMA_OK;
  while (r == LZMA_OK) r = lzma_code(&s, LZMA_RUN);
  uint64_t produced = s.total_out;
  lzma_end(&s);
  double seconds = Seconds(std::chrono::steady_clock::now() - start);
  if (r != LZMA_STREAM_END || produced != contentSize) Fail("liblzma: stream did not decode to its end");
  return seconds;
}

void Verify(const char* what, const TBytes& content, const TBytes& out) {
  if (std::memcmp(out.data(), content.data(), content.size()) != 0)
    Fail(std::string(what) + ": output differs from the input");
}

size_t Argument(int argc, char** argv, int i, size_t fallback) {
  if (argc <= i) return fallback;
  char* end = nullptr;
  unsigned long value = std::strtoul(argv[i], &end, 10);
  if (*end != '\0' || value == 0) Fail(std::string("not a positive number: ") + argv[i]);
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t mebibytes = Argument(argc, argv, 1, 64);
  const size_t rounds = Argument(argc, argv, 2, 11);

  size_t fileCount = 0;
  const TBytes content = MakeBlockContent(mebibytes << 20, fileCount);
  TLzmaStreamOptions lzma;
  lzma.dictionarySize = kDictionarySize;
  lzma.lc = 3;
  lzma.lp = 0;
  lzma.pb = 2;
  std::printf("compressing %zu bytes (%zu files as items), LZMA lc3 lp0 pb2, dictionary %u MiB, preset %u...\n",
              content.size(), fileCount, kDictionarySize >> 20, lzma.preset);
  std::fflush(stdout);
  const TBytes stream = EncodeLzmaStream(content, lzma);
  TMemoryStream block(FrameBlock(stream, true));
  std::printf("LZMA stream %zu bytes (ratio %.3f), framed block %lld bytes\n", stream.size(),
              double(stream.size()) / double(content.size()), static_cast<long long>(block.Size()));

  TBytes out(content.size() + 1);
  // One untimed run of each first: the allocator's first large blocks come
  // fresh from the system, later ones are reused.
  ReadThroughBlockReader(block, fileCount, out.data(), content.size());
  Verify("block reader", content, out);
  std::fill(out.begin(), out.end(), uint8_t(0));
  DecodeWithLiblzma(stream, out.data(), content.size());
  Verify("liblzma", content, out);

  std::vector<double> readerTimes, liblzmaTimes;
  for (size_t round = 0; round < rounds; ++round) {
    // Alternate the order so that neither side always runs on a warm cache.
    for (int side = 0; side < 2; ++side) {
      std::fill(out.begin(), out.end(), uint8_t(0));  // no result may survive from the other side
      if ((side == 0) == (round % 2 == 0)) {
        double t = ReadThroughBlockReader(block, fileCount, out.data(), content.size());
        Verify("block reader", content, out);
        readerTimes.push_back(t);
        std::printf("round %zu  block reader %8.1f MB/s\n", round + 1, double(content.size()) / t / 1e6);
      } else {
        double t = DecodeWithLiblzma(stream, out.data(), content.size());
        Verify("liblzma", content, out);
        liblzmaTimes.push_back(t);
        std::printf("round %zu  liblzma      %8.1f MB/s\n", round + 1, double(content.size()) / t / 1e6);
      }
      std::fflush(stdout);
    }
  }

  // Each round's two runs happen side by side, under the same load: the
  // median of their ratios is steadier than the best rounds on a busy machine.
  std::vector<double> roundRatios;
  for (size_t i = 0; i < rounds; ++i) roundRatios.push_back(liblzmaTimes[i] / readerTimes[i]);
  std::sort(roundRatios.begin(), roundRatios.end());
  std::sort(readerTimes.begin(), readerTimes.end());
  std::sort(liblzmaTimes.begin(), liblzmaTimes.end());
  auto speed = [&](double seconds) { return double(content.size()) / seconds / 1e6; };
  const double readerSpeed = speed(readerTimes.front());
  const double liblzmaSpeed = speed(liblzmaTimes.front());
  const double ratio = readerSpeed / liblzmaSpeed;
  std::printf("\nbest of %zu rounds (median in brackets), %zu bytes decompressed each (MB = 10^6 bytes):\n", rounds,
              content.size());
  std::printf("  block reader (8,192-byte reads)  %8.1f MB/s  (%.1f)\n", readerSpeed,
              speed(readerTimes[readerTimes.size() / 2]));
  std::printf("  liblzma raw decoder              %8.1f MB/s  (%.1f)\n", liblzmaSpeed,
              speed(liblzmaTimes[liblzmaTimes.size() / 2]));
  std::printf("  ratio of the best speeds         %8.3f\n", ratio);
  const double median = roundRatios[rounds / 2];
  std::printf("  median of the per-round ratios   %8.3f  (target at least 0.98: %s; lowest %.3f, highest %.3f)\n", median,
              median >= 0.98 ? "met" : "NOT met", roundRatios.front(), roundRatios.back());
  return 0;
}
