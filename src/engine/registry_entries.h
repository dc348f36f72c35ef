// Registry values and INI entries of the setup script.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Writes one value below root index 0x80000000 + rootIndex, creating the key
// and its parents. Without overwrite an existing value (of any type) stays.
// Type 0 text, 1 hexadecimal bytes, 2 decimal number; other types create
// the key only. Returns 0 when the value (or key) is in place, else the
// Windows error.
DWORD WriteRegistryValue(int rootIndex, const std::string& keyPath, const std::string& valueName,
                        const std::string& data, int type, bool overwrite);
// Registry record k of the script, its strings expanded.
void WriteRegistryRecord(uint32_t k);
// INI record k of the script: creates the file's folders; with rule 0 a key
// that already has a non-empty value stays. Both report what they did.
void WriteIniEntry(uint32_t k);
