#include "engine/registry_data.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// One two-character pair; a "$" prefix is the builder's hexadecimal marker.
char PairByte(const char* pair) {
  const char* p = pair;
  const char* end = pair + 2;
  if (*p == '$') ++p;
  unsigned value = 0;
  for (int digit; p < end && (digit = HexDigit(*p)) >= 0; ++p) value = value * 16 + unsigned(digit);
  return char(value);
}

}  // namespace

std::string HexDataBytes(const std::string& data) {
  std::string bytes(data.size() / 2, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = PairByte(data.data() + 2 * i);
  return bytes;
}
