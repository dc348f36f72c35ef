// Items: a 4-byte little-endian length L followed by L bytes; L <= 0 is empty.
#pragma once
#include <cstdint>

#include "toolkit/memory_stream.h"
#include "toolkit/stream.h"

constexpr int32_t kItemPieceSize = 8192;

// Appends the next item of the source to destination and rewinds it to 0.
// Returns false when the source could not deliver the whole item, or when
// its length is above `limit`: the item is then damaged and its bytes must
// not be used.
bool ReadItem(TMemoryStream& destination, TByteSource& source, int32_t limit = INT32_MAX);

// Reads the item's length. A length that cannot be read is a damaged item.
bool ReadItemLength(TByteSource& source, int32_t& length);
