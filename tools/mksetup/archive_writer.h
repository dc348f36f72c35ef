// Writing setup archives byte for byte as setup.exe reads them: LZMA streams,
// blocks of CRC-framed chunks, items, the lists and the trailer, disk files.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using TBytes = std::vector<uint8_t>;

struct TLzmaStreamOptions {
  uint32_t lc = 3, lp = 0, pb = 2;
  uint32_t dictionarySize = 1u << 20;
  uint32_t preset = 6;     // liblzma's preset for everything else (match finder, depth)
  bool endMarker = true;   // false: the stream ends without an end marker
  // Written into the stream header instead of the real values, to make
  // streams the reader must refuse (properties byte 225, dictionary 32 MiB + 1).
  std::optional<uint8_t> propertiesByte;
  std::optional<uint32_t> dictionaryField;
};

struct TBlockOptions {
  bool compressed = true;  // false: a stored block (compressed flag 0)
  TLzmaStreamOptions lzma;
};

// The 5-byte header and the LZMA1 data of content. Throws std::runtime_error
// when liblzma refuses the options.
TBytes EncodeLzmaStream(const TBytes& content, const TLzmaStreamOptions& options);
// A block: 9-byte header, then chunks of a CRC-32 and up to 4,096 data bytes.
TBytes FrameBlock(const TBytes& blockData, bool compressedFlag);
// content compressed (or not) and framed.
TBytes BuildBlock(const TBytes& content, const TBlockOptions& options);
// Appends one item (4-byte little-endian length, then the bytes).
void AppendItem(TBytes& content, const TBytes& item);

struct TResourceItem {
  uint8_t code = 0;
  TBytes bytes;
};

struct TArchiveInput {
  TBytes stub;                          // the executable the archive is appended to
  TBytes script;                        // item 0 of block 0
  std::vector<TResourceItem> resources; // items 1 to N-1
  std::vector<TBytes> files;            // in file-record order
  bool solid = true;                    // one block for all files, or one per file
  TBlockOptions block0;
  TBlockOptions fileBlocks;
  // Per-file mode: the most bytes of the file data area each disk holds
  // (disk 1 being the executable); 0 keeps the whole area in the executable.
  uint64_t diskSize = 0;
  // Per-file mode: blocks compressed at once (0: one per core); the bytes
  // written do not depend on it.
  unsigned jobs = 0;
  std::function<void(size_t files, uint64_t bytes)> progress;  // may be empty
};

struct TSetupImage {
  TBytes executable;          // stub + block 0 + data area share + lists + trailer
  std::vector<TBytes> disks;  // disk 2, 3, ... in order
};

TSetupImage BuildSetupImage(const TArchiveInput& input);
