// Counts the bytes the program has asked operator new for and not yet
// given back, and the highest that count reached (counting_allocator.cpp
// replaces the global operator new and delete of the program it is linked
// into).
#pragma once
#include <cstddef>

namespace counting_allocator {

size_t CurrentBytes();
size_t PeakBytes();
// Starts a new peak from the current count.
void ResetPeak();

}  // namespace counting_allocator
