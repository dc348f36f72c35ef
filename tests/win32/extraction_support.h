// Products for the file extraction tests: files with their records, made
// into real setups (solid or per-file, stored or LZMA, split into disks),
// and the checks of what landed on disk.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "archive/archive_trailer.h"
#include "archive/block_reader.h"
#include "setup_runner.h"
#include "test_support.h"

constexpr char kExtractionCaption[] = "Velmora Extraction Setup";
constexpr char kProductFolder[] = "C:\\Product";
constexpr uint64_t kBaseFileTime = 132537600001234567ull;  // 2021, not on a millisecond

struct TProductFile {
  std::string target;  // as the record holds it, path constants included
  TBytes bytes;
  int rule = 1;
  uint64_t time = kBaseFileTime;
  int listed = 1;
  int attributes = FILE_ATTRIBUTE_ARCHIVE;
};

struct TProduct {
  std::vector<TProductFile> files;
  bool solid = true;
  bool compressed = true;
  std::string diskTemplate = "disk@$&%19.pak";
  bool uninstallInformation = false;  // header field 56
};

// Text lines with a counter: large, and quick to compress.
inline TBytes CountingLines(size_t size) {
  TBytes out(size);
  char line[32];
  for (size_t at = 0; at < size; at += 32) {
    snprintf(line, sizeof line, "line %010u of the payload..\r\n", unsigned(at / 32));
    for (size_t i = 0; i < 32 && at + i < size; ++i) out[at + i] = uint8_t(line[i]);
  }
  return out;
}

// Appends a file whose time differs from every other file's.
inline TProductFile& AddFile(TProduct& product, const std::string& target, TBytes bytes,
                             int attributes = FILE_ATTRIBUTE_ARCHIVE) {
  TProductFile file;
  file.target = target;
  file.bytes = std::move(bytes);
  file.time = kBaseFileTime + product.files.size() * 8640012345679ull;
  file.attributes = attributes;
  product.files.push_back(std::move(file));
  return product.files.back();
}

inline TScriptBuilder ExtractionScript(const TProduct& product) {
  TScriptBuilder script = PermissiveScript();
  script.SetField(34, product.solid ? "1" : "0");
  script.SetField(21, product.diskTemplate);
  script.SetField(48, std::to_string(product.files.size() + 5));
  script.SetField(58, kProductFolder);
  script.SetField(65, kExtractionCaption);
  script.SetField(56, product.uninstallInformation ? "1" : "0");
  script.AddLanguage("English", "1033", "", "", MessagesOf("M"));
  for (const TProductFile& f : product.files)
    script.AddRecord(kSectionFiles, {f.target, std::to_string(f.rule), std::to_string(f.time),
                                     std::to_string(f.listed), std::to_string(f.attributes)});
  return script;
}

inline TArchiveInput ExtractionInput(const TProduct& product, uint64_t diskSize = 0) {
  TArchiveInput input = SetupWith(ExtractionScript(product));
  for (const TProductFile& f : product.files) input.files.push_back(f.bytes);
  input.solid = product.solid;
  input.fileBlocks.compressed = product.compressed;
  input.fileBlocks.lzma.preset = 1;
  input.diskSize = diskSize;
  return input;
}

inline TArchiveTrailer TrailerOf(const TBytes& executable) {
  TArchiveTrailer trailer;
  DecodeArchiveTrailer(executable.data() + executable.size() - kTrailerSize, trailer);
  return trailer;
}

// The product in per-file mode over `disks` files, the setup executable
// included, each but the last holding the same share of the data area.
inline TSetupImage ImageOnDisks(const TProduct& product, int disks) {
  TSetupImage whole = BuildSetupImage(ExtractionInput(product));
  if (disks <= 1) return whole;
  const uint64_t area = TrailerOf(whole.executable).dataSize;
  TSetupImage split = BuildSetupImage(ExtractionInput(product, area / uint64_t(disks) + 1));
  EXPECT_EQ(split.disks.size(), size_t(disks - 1));
  return split;
}

inline std::string DiskName(const std::string& folder, int disk) {
  return folder + "disk" + std::to_string(disk) + ".pak";
}

// Writes setup.exe and its disk files into folder; returns the setup's path.
inline std::string WriteImage(const std::string& folder, const TSetupImage& image) {
  for (size_t i = 0; i < image.disks.size(); ++i) WriteWholeFile(DiskName(folder, int(i) + 2), image.disks[i]);
  return WriteSetup(folder, image.executable);
}

inline std::string EnvironmentText(const char* name) {
  char buffer[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

// Where a setup in setupFolder (with its trailing backslash) puts a record's
// file when run with /P=C:\Product. Worked out independently of the
// setup's own expansion for the codes the tests use.
inline std::string InstalledPath(const std::string& target, const std::string& setupFolder) {
  auto replaced = [&](const std::string& marker, const std::string& folder, std::string& path) {
    if (target.compare(0, marker.size(), marker) != 0) return false;
    path = folder + target.substr(marker.size());
    return true;
  };
  std::string path;
  if (replaced("@$&%04", kProductFolder, path)) return path;
  if (replaced("@$&%18", setupFolder.substr(0, setupFolder.size() - 1), path)) return path;
  if (replaced("@$&%26", EnvironmentText("APPDATA"), path)) return path;
  if (replaced("@$&%27", EnvironmentText("ProgramData"), path)) return path;
  return target;
}

inline uint64_t Ticks(const FILETIME& t) { return uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime; }

inline FILETIME FileTimeOf(uint64_t ticks) {
  FILETIME t;
  t.dwLowDateTime = DWORD(ticks);
  t.dwHighDateTime = DWORD(ticks >> 32);
  return t;
}

// The file at path is the record's file: times (read first, before reading
// the content can move the access time), attributes and bytes.
inline void ExpectInstalled(const TProductFile& file, const std::string& path) {
  SCOPED_TRACE(path);
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE) << "missing";
  FILETIME created{}, accessed{}, written{};
  EXPECT_TRUE(GetFileTime(handle, &created, &accessed, &written));
  CloseHandle(handle);
  EXPECT_EQ(Ticks(created), file.time);
  EXPECT_EQ(Ticks(accessed), file.time);
  EXPECT_EQ(Ticks(written), file.time);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), DWORD(file.attributes));
  const TBytes bytes = ReadWholeFile(path);
  EXPECT_EQ(bytes.size(), file.bytes.size());
  EXPECT_TRUE(bytes == file.bytes) << "content differs";
}

// Places a file with the given content and last-write time.
inline void PlaceFile(const std::string& path, const TBytes& bytes, uint64_t writeTime) {
  ASSERT_TRUE(WriteWholeFile(path, bytes)) << path;
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  const FILETIME t = FileTimeOf(writeTime);
  EXPECT_TRUE(SetFileTime(handle, &t, &t, &t));
  CloseHandle(handle);
}

// The stored size list of a per-file setup: the length of every file's block.
inline std::vector<uint64_t> StoredSizesOf(const TBytes& executable) {
  const TArchiveTrailer trailer = TrailerOf(executable);
  std::vector<uint64_t> sizes;
  for (uint64_t i = 0; i < trailer.storedSizeCount; ++i)
    sizes.push_back(LoadLE64(executable.data() + trailer.dataOffset + trailer.dataSize + 8 * i));
  return sizes;
}

// Where byte `at` of a block's content lies in a stored block: behind the
// 9-byte header, each chunk of 4,096 data bytes led by its CRC-32.
inline uint64_t StoredBlockOffset(uint64_t at) { return kBlockHeaderSize + (at / 4096) * 4100 + 4 + at % 4096; }
