// The checks mksetup inspect makes of a block without decompressing it, and
// the reading of an item through to its end.
#pragma once
#include <climits>
#include <cstdint>
#include <functional>
#include <string>

#include "mksetup/setup_reading.h"
#include "toolkit/stream.h"

// Names a position of the stream a block is read from, for the messages.
using TLocator = std::function<std::string(int64_t position)>;

// Reads the block header at `at` and checks every CRC without decompressing;
// returns what is wrong ("" when the block is sound).
std::string SurveyBlock(TStream& source, int64_t at, TBlockInfo& block, const TLocator& where);

// Reads an item through to its end, counting its bytes rather than keeping
// them; -1 when it cannot be read whole.
int64_t CountItem(TByteSource& source, int32_t limit = INT32_MAX);
