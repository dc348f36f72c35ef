#include <windows.h>

#include "startup/os_class.h"

uint8_t OsClass() {
  static uint8_t cached = 255;
  if (cached == 255) cached = OsClassFromVersion(GetVersion());
  return cached;
}

bool OsAllowed(int32_t mask) { return OsAllowedFor(OsClass(), mask); }
