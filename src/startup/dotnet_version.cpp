#include "startup/dotnet_version.h"

#include <cmath>

#include "archive/script_text.h"

double ReadVersionNumber(const std::string& text) {
  double value = 0, scale = 1;
  bool negative = false, fraction = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (i == 0 && c == '-') negative = true;
    else if (c >= '0' && c <= '9') {
      if (fraction) value += (c - '0') * (scale /= 10);
      else value = value * 10 + (c - '0');
    } else if (c == '.') {
      if (fraction) break;
      fraction = true;
    } else if (c == 'E' || c == 'e') {
      value *= std::pow(10.0, TextInt(text.substr(i + 1)));
      break;
    }
  }
  return negative ? -value : value;
}

double HighestPolicyVersion(const std::string* names, size_t count) {
  double highest = 0;
  for (size_t i = 0; i < count; ++i) {
    const std::string& name = names[i];
    if (name.empty() || (name[0] != 'V' && name[0] != 'v') || name.find('.') == std::string::npos) continue;
    double version = ReadVersionNumber(name.substr(1));
    if (version > highest) highest = version;
  }
  return highest;
}
