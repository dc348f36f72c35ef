// The reference side of bench/install_bench.sh: liblzma alone decoding a raw
// LZMA stream file into a file, with the same Win32 file calls and piece
// sizes as the setup's file extraction (input read in 64 KiB pieces, output
// written in 8 KiB pieces), so that the two runs differ only in what the
// setup does beyond decoding.
//
// usage: lzma_file_decoder STREAM OUTPUT   decodes; prints "decoded N bytes"
//        lzma_file_decoder --touch MIB     allocates and touches MIB MiB, so
//                                          that a memory measurement can be
//                                          checked against a known amount
//
// STREAM: a 5-byte header (properties byte, 4-byte little-endian dictionary
// size), then LZMA1 data with or without an end marker.
#include <windows.h>

#include <lzma.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kInputPiece = 65536;
constexpr DWORD kOutputPiece = 8192;

// Owns a file handle; closes it on every way out.
class TFile {
public:
  explicit TFile(HANDLE handle) : handle_(handle) {}
  ~TFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

private:
  HANDLE handle_;
};

// Fills buffer as far as the file allows; the number of bytes read, or -1.
long ReadPiece(HANDLE file, uint8_t* buffer, DWORD count) {
  DWORD total = 0;
  while (total < count) {
    DWORD n = 0;
    if (!ReadFile(file, buffer + total, count - total, &n, nullptr)) return -1;
    if (n == 0) break;
    total += n;
  }
  return long(total);
}

bool WritePiece(HANDLE file, const uint8_t* bytes, DWORD count) {
  DWORD written = 0;
  return WriteFile(file, bytes, count, &written, nullptr) && written == count;
}

int Decode(const char* streamPath, const char* outputPath) {
  TFile input(CreateFileA(streamPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr));
  if (!input.Valid()) {
    std::fprintf(stderr, "lzma_file_decoder: cannot open %s\n", streamPath);
    return 1;
  }
  uint8_t header[5];
  if (ReadPiece(input.Get(), header, 5) != 5) {
    std::fprintf(stderr, "lzma_file_decoder: %s has no stream header\n", streamPath);
    return 2;
  }
  lzma_options_lzma options{};
  options.lc = header[0] % 9;
  options.lp = header[0] / 9 % 5;
  options.pb = header[0] / 45;
  options.dict_size = uint32_t(header[1]) | uint32_t(header[2]) << 8 | uint32_t(header[3]) << 16 |
                      uint32_t(header[4]) << 24;
  if (options.dict_size < LZMA_DICT_SIZE_MIN) options.dict_size = LZMA_DICT_SIZE_MIN;
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_stream stream = LZMA_STREAM_INIT;
  if (header[0] > 224 || lzma_raw_decoder(&stream, filters) != LZMA_OK) {
    std::fprintf(stderr, "lzma_file_decoder: liblzma refuses the stream header\n");
    return 2;
  }

  TFile output(CreateFileA(outputPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr));
  if (!output.Valid()) {
    lzma_end(&stream);
    std::fprintf(stderr, "lzma_file_decoder: cannot create %s\n", outputPath);
    return 1;
  }

  static uint8_t in[kInputPiece];
  static uint8_t out[kOutputPiece];
  bool inputEnded = false;
  uint64_t produced = 0;
  lzma_ret r = LZMA_OK;
  for (;;) {
    if (stream.avail_in == 0 && !inputEnded) {
      long n = ReadPiece(input.Get(), in, kInputPiece);
      if (n < 0) {
        r = LZMA_DATA_ERROR;
        break;
      }
      inputEnded = n == 0;
      stream.next_in = in;
      stream.avail_in = size_t(n);
    }
    stream.next_out = out;
    stream.avail_out = kOutputPiece;
    r = lzma_code(&stream, LZMA_RUN);
    const DWORD got = DWORD(kOutputPiece - stream.avail_out);
    if (got > 0 && !WritePiece(output.Get(), out, got)) {
      lzma_end(&stream);
      std::fprintf(stderr, "lzma_file_decoder: writing %s failed\n", outputPath);
      return 1;
    }
    produced += got;
    if (r != LZMA_OK) break;
    // A stream without an end marker: it ends where the input ends.
    if (inputEnded && stream.avail_in == 0 && got == 0) {
      r = LZMA_STREAM_END;
      break;
    }
  }
  lzma_end(&stream);
  if (r != LZMA_STREAM_END) {
    std::fprintf(stderr, "lzma_file_decoder: the stream is damaged (liblzma code %d after %llu bytes)\n", int(r),
                 static_cast<unsigned long long>(produced));
    return 2;
  }
  std::printf("decoded %llu bytes\n", static_cast<unsigned long long>(produced));
  return 0;
}

// Touches every page of a fresh allocation: the peak memory of this process
// rises by about that much above an empty program's.
int Touch(const char* mebibytes) {
  const size_t size = size_t(std::strtoul(mebibytes, nullptr, 10)) << 20;
  volatile uint8_t* block = static_cast<uint8_t*>(std::malloc(size));
  if (!block) return 1;
  for (size_t i = 0; i < size; i += 4096) block[i] = uint8_t(i >> 12);
  std::printf("touched %zu bytes\n", size);
  std::free(const_cast<uint8_t*>(block));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--touch") == 0) return Touch(argv[2]);
  if (argc != 3) {
    std::fprintf(stderr, "usage: lzma_file_decoder STREAM OUTPUT | --touch MIB\n");
    return 1;
  }
  return Decode(argv[1], argv[2]);
}
