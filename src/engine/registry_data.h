// How registry record data texts become value bytes (no Windows calls).
#pragma once
#include <string>

// The bytes of a hexadecimal data text: two characters a byte, an odd last
// character ignored, each pair read as hexadecimal up to its first other
// character ("G1" is 0, "1G" is 1), a leading "$" skipped.
std::string HexDataBytes(const std::string& data);
