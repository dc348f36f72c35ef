#include "archive/header_check.h"

#include <cstdio>
#include <cstring>

#include "archive/crc32.h"

uint32_t ComputeHeaderCheck(const uint8_t* script, size_t size) {
  // Find where field 35's text starts and ends.
  size_t start = 0;
  for (int field = 0; field < kHeaderCheckField && start < size; ++field) {
    const void* nul = std::memchr(script + start, 0, size - start);
    start = nul ? size_t(static_cast<const uint8_t*>(nul) - script) + 1 : size;
  }
  const void* nul = start < size ? std::memchr(script + start, 0, size - start) : nullptr;
  size_t end = nul ? size_t(static_cast<const uint8_t*>(nul) - script) : size;
  uint32_t crc = Crc32Update(0xFFFFFFFFu, script, start);
  crc = Crc32Update(crc, script + end, size - end);
  return ~crc;
}

std::string HeaderCheckText(uint32_t check) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", unsigned(check));
  return text;
}
