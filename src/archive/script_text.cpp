#include "archive/script_text.h"

int32_t TextInt(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    i = 1;
  }
  uint32_t value = 0;  // unsigned: overflow wraps instead of being undefined
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10u + uint32_t(text[i] - '0');
  if (negative) value = 0u - value;
  return int32_t(value);
}

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return text;
}
