// The registry key that lists the installed fonts. The setup writes its
// fonts there and the uninstaller takes them out of the same key.
#pragma once
#include <cstdint>
#include <string>

#include "startup/os_class.h"

// Windows 95, 98 and Me keep the list under "Windows", the NT platform under
// "Windows NT" (OS classes as in os_class.h).
inline std::string FontsKeyFor(uint8_t osClass) {
  constexpr uint8_t kFirstNtClass = 4;
  return std::string("Software\\Microsoft\\Windows") + (osClass >= kFirstNtClass ? " NT" : "") +
         "\\CurrentVersion\\Fonts";
}

// For the running system (Win32 build only).
inline std::string FontsKey() { return FontsKeyFor(OsClass()); }
