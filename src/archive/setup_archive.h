// Opening the setup archive: the trailer, the stored size and item code
// lists, and block 0 (item 0 the setup script, items 1 to N-1 resources).
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "archive/archive_trailer.h"
#include "toolkit/memory_stream.h"
#include "toolkit/stream.h"

struct TSetupArchive {
  TArchiveTrailer trailer;
  std::vector<int64_t> storedSizes;  // per-file mode: total length of file i's block
  std::vector<uint8_t> itemCodes;    // byte i says what item i of block 0 is
  TMemoryStream script;              // item 0, positioned at 0
};

// Receives each resource item of block 0 with its item code, in item order.
using TResourceSink = std::function<void(uint8_t code, TMemoryStream& item)>;

// Reads the archive of the setup executable `file`. Block 0 is copied into
// memory whole, then decompressed item by item. False when the archive is
// damaged in any way (trailer, lists, block header, chunk CRC, LZMA stream, a
// short item): the caller must treat the setup as corrupted.
bool ReadSetupArchive(TStream& file, TSetupArchive& archive, const TResourceSink& dispatch);
