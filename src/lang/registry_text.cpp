#include "lang/registry_text.h"

#include <windows.h>

#include <vector>

#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "lang/path_constants.h"
#include "toolkit/registry_key.h"

namespace {

// The value's bytes, read into a buffer as large as the registry says it
// needs (asked again if the value grew in between).
bool QueryValue(HKEY key, const std::string& name, DWORD& type, std::vector<char>& data) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = DWORD(data.size());
    LONG r = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (r == ERROR_SUCCESS) {
      data.resize(size);
      return true;
    }
    if (r != ERROR_MORE_DATA) return false;
    data.resize(size + 1);
  }
  return false;
}

std::string TextOf(const std::vector<char>& data) {
  // Up to the first NUL; the stored text need not be terminated.
  std::string text(data.begin(), data.end());
  size_t nul = text.find('\0');
  return nul == std::string::npos ? text : text.substr(0, nul);
}

std::string ExpandEnvironment(const std::string& text) {
  std::vector<char> buffer(text.size() + 256);
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD n = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), DWORD(buffer.size()));
    if (n == 0) return std::string();
    if (n <= buffer.size()) return std::string(buffer.data());
    buffer.resize(n);
  }
  return std::string();
}

}  // namespace

std::string ReadRegistryText(int rootIndex, const std::string& keyPath, const std::string& valueName) {
  HKEY root = RegistryRoot(rootIndex);
  TRegistryKey key;
  if (!root || !key.Open(root, keyPath, KEY_READ)) return std::string();
  DWORD type = 0;
  std::vector<char> data(256);
  if (!QueryValue(key.Get(), valueName, type, data)) return std::string();
  switch (type) {
    case REG_SZ: return TextOf(data);
    case REG_EXPAND_SZ: return ExpandEnvironment(TextOf(data));
    case REG_DWORD: {
      if (data.size() < 4) return std::string();
      int32_t value;
      memcpy(&value, data.data(), 4);
      return std::to_string(value);
    }
    default: return std::string();
  }
}

void ResolveRegistryVariables() {
  std::vector<std::string>& values = PathState().registryVariables;
  values.clear();
  for (uint32_t k = 0; k < SectionCount(kSectionRegistryVariables); ++k) {
    std::string value = ReadRegistryText(TextInt(SectionField(kSectionRegistryVariables, k, 0)),
                                         SectionField(kSectionRegistryVariables, k, 1),
                                         SectionField(kSectionRegistryVariables, k, 2));
    values.push_back(value.empty() ? SectionField(kSectionRegistryVariables, k, 3) : value);
  }
}
