#include "engine/registry_entries.h"

#include <windows.h>

#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "engine/registry_data.h"
#include "lang/folders.h"
#include "toolkit/folders.h"
#include "toolkit/registry_key.h"

namespace {

enum TValueType : int32_t { kTextValue = 0, kBinaryValue = 1, kNumberValue = 2 };

constexpr DWORD kIniBufferSize = 4096;

bool ValueExists(HKEY key, const std::string& name) {
  // Only whether it exists matters: no data is read, so no buffer can be short.
  return RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void SetValue(HKEY key, const std::string& name, DWORD type, const void* data, size_t size) {
  RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), DWORD(size));
}

}  // namespace

void WriteRegistryValue(int rootIndex, const std::string& keyPath, const std::string& valueName,
                        const std::string& data, int type, bool overwrite) {
  TRegistryKey key;
  if (!key.Create(RegistryRoot(rootIndex), keyPath)) return;
  if (!overwrite && ValueExists(key.Get(), valueName)) return;
  switch (type) {
    case kTextValue:
      SetValue(key.Get(), valueName, REG_SZ, data.c_str(), data.size() + 1);
      break;
    case kBinaryValue: {
      const std::string bytes = HexDataBytes(data);
      SetValue(key.Get(), valueName, REG_BINARY, bytes.data(), bytes.size());
      break;
    }
    case kNumberValue: {
      const uint32_t number = uint32_t(TextInt(data));
      const uint8_t bytes[4] = {uint8_t(number), uint8_t(number >> 8), uint8_t(number >> 16), uint8_t(number >> 24)};
      SetValue(key.Get(), valueName, REG_DWORD, bytes, sizeof bytes);
      break;
    }
    default:
      break;  // the key alone
  }
}

void WriteRegistryRecord(uint32_t k) {
  auto field = [k](int j) -> const std::string& { return SectionField(kSectionRegistry, k, j); };
  WriteRegistryValue(TextInt(field(0)), ExpandPathConstants(field(1)), ExpandPathConstants(field(2)),
                     ExpandPathConstants(field(3)), TextInt(field(4)), TextInt(field(5)) == 1);
}

void WriteIniEntry(uint32_t k) {
  auto field = [k](int j) -> const std::string& { return SectionField(kSectionIni, k, j); };
  const std::string file = ExpandPathConstants(field(0));
  CreateFoldersFor(file);
  const std::string section = ExpandPathConstants(field(1));
  const std::string key = ExpandPathConstants(field(2));
  if (TextInt(field(4)) == 0) {
    char current[kIniBufferSize];
    if (GetPrivateProfileStringA(section.c_str(), key.c_str(), "", current, sizeof current, file.c_str()) > 0)
      return;
  }
  WritePrivateProfileStringA(section.c_str(), key.c_str(), ExpandPathConstants(field(3)).c_str(), file.c_str());
}
