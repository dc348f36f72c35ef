// Per-file mode packs each file into a block of its own; the blocks do not
// depend on each other, so they are compressed on several threads at once.
// The bytes are the same whatever the number of threads.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "mksetup/archive_writer.h"

// Told after each block: how many files and how many of their bytes are done.
using TPackProgress = std::function<void(size_t files, uint64_t bytes)>;

// One block per file (an item holding the file), in file order, built by
// `jobs` threads (0: one per core). Rethrows the first encoder failure.
std::vector<TBytes> BuildFileBlocks(const std::vector<TBytes>& files, const TBlockOptions& options, unsigned jobs,
                                    const TPackProgress& progress);
