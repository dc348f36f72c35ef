#include "startup/os_class.h"

uint8_t OsClassFromVersion(uint32_t version) {
  const uint32_t major = version & 0xFF, minor = (version >> 8) & 0xFF;
  const uint32_t v = major * 256 + minor;
  if (version & 0x80000000u) {
    if (major < 4) return 0;
    if (v < 4 * 256 + 10) return 1;
    if (v < 4 * 256 + 90) return 2;
    return 3;
  }
  if (major < 5) return 4;
  if (v < 5 * 256 + 1) return 5;
  if (v == 5 * 256 + 1) return 6;
  if (major == 5) return 7;
  return 8;
}

bool OsAllowedFor(uint8_t osClass, int32_t mask) {
  return osClass <= 15 && ((uint32_t(mask) & 0xFFFFu) >> osClass & 1u) != 0;
}
