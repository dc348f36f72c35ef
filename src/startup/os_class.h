// The OS class: which Windows family is running, 0 to 8.
//   0..3  Windows 95 platform: below 4, 95, 98, Me
//   4..8  NT platform: NT 4.0 and older, 2000, XP, Server 2003, Vista and later
#pragma once
#include <cstdint>

// From a GetVersion result: low byte major, next byte minor, top bit set on
// the Windows 95 platform.
uint8_t OsClassFromVersion(uint32_t version);
// Computed once per run, from GetVersion (Win32 build only).
uint8_t OsClass();
// True when the class is at most 15 and its bit in the low 16 bits of the mask is set.
bool OsAllowedFor(uint8_t osClass, int32_t mask);
bool OsAllowed(int32_t mask);
