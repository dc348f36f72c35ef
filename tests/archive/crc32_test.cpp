#include "archive/crc32.h"

#include <gtest/gtest.h>

#include "test_support.h"

static uint32_t BitwiseCrc(const uint8_t* p, size_t n) {
  uint32_t crc = 0xFFFFFFFFu;
  while (n--) {
    crc ^= *p++;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  }
  return ~crc;
}

TEST(Crc32, IsTheStandardReflectedCrc) {
  EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(Crc32("", 0), 0u);
  TBytes data = MixedBytes(5000, 7);
  // Every length and alignment around the eight-byte steps agrees with the
  // plain bit-by-bit definition, and updates compose.
  for (size_t offset = 0; offset < 9; ++offset)
    for (size_t length : {0, 1, 7, 8, 9, 15, 16, 17, 63, 64, 65, 79, 80, 127, 128, 129, 200, 4096, 4990})
      ASSERT_EQ(Crc32(data.data() + offset, length), BitwiseCrc(data.data() + offset, length)) << offset << " " << length;
  uint32_t running = Crc32Update(0xFFFFFFFFu, data.data(), 1234);
  running = Crc32Update(running, data.data() + 1234, data.size() - 1234);
  EXPECT_EQ(~running, Crc32(data.data(), data.size()));
}
