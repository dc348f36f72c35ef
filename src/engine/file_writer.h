// Writing one target file from the next item of a decompressed stream.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/stream.h"

constexpr size_t kCopyBufferSize = 8192;

enum class TWriteResult {
  Written,      // whole, with its three times set
  NotCreated,   // the target could not be created; the item was read past
  WriteFailed,  // a write failed part-way (disk full); the target was removed
  Damaged,      // the item could not be read whole; the target was removed
};

// Creates path (replacing a file already there, others may read it), copies
// the item into it through buffer and sets its creation, access and write
// times to fileTime through the same handle before closing it. However it
// ends, the item is read to its end unless it is damaged, so the next item
// stays aligned.
TWriteResult WriteItemToFile(const std::string& path, TByteSource& source, uint64_t fileTime,
                             std::vector<uint8_t>& buffer);

// Reads the next item and drops its bytes; false when it is damaged.
bool DiscardItem(TByteSource& source, std::vector<uint8_t>& buffer);

