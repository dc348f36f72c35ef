#include "uninstaller/registry_key_path.h"

#include "archive/script_text.h"

namespace {

// Windows' own keys that products put their values below. They and the
// keys above them stay, even when the product's values were their last.
const char* const kWindowsKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "Software\\Classes",
    "System\\CurrentControlSet\\Services",
    "System\\CurrentControlSet\\Control",
};

// The key is one of Windows' own, or lies above one of them.
bool IsWindowsKey(const std::string& key) {
  const std::string upper = UpperAscii(key);
  for (const char* windowsKey : kWindowsKeys) {
    const std::string own = UpperAscii(windowsKey);
    if (own == upper || own.rfind(upper + "\\", 0) == 0) return true;
  }
  return false;
}

}  // namespace

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
    if (IsWindowsKey(key)) break;  // and so is every key above it
    keys.push_back(key);
  }
  return keys;
}
