#include "uninstaller/registry_key_path.h"

std::vector<std::string> KeysToPrune(const std::string& keyPath) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start <= keyPath.size()) {
    size_t end = keyPath.find('\\', start);
    if (end == std::string::npos) end = keyPath.size();
    if (end > start) components.push_back(keyPath.substr(start, end - start));
    start = end + 1;
  }
  std::vector<std::string> keys;
  for (size_t depth = components.size(); depth >= 2; --depth) {
    std::string key = components[0];
    for (size_t i = 1; i < depth; ++i) key += '\\' + components[i];
    keys.push_back(key);
  }
  return keys;
}
