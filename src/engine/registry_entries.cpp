#include "engine/registry_entries.h"

#include <windows.h>

#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "engine/item_report.h"
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

DWORD SetValue(HKEY key, const std::string& name, DWORD type, const void* data, size_t size) {
  return DWORD(RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), DWORD(size)));
}

const char* RootName(int rootIndex) {
  static const char* const kNames[] = {"HKCR", "HKCU", "HKLM", "HKU", "HKPD", "HKCC", "HKDD"};
  return rootIndex >= 0 && rootIndex <= 6 ? kNames[rootIndex] : "(no root)";
}

}  // namespace

DWORD WriteRegistryValue(int rootIndex, const std::string& keyPath, const std::string& valueName,
                         const std::string& data, int type, bool overwrite) {
  TRegistryKey key;
  LONG error = ERROR_SUCCESS;
  if (!key.Create(RegistryRoot(rootIndex), keyPath, &error)) return DWORD(error);
  if (!overwrite && ValueExists(key.Get(), valueName)) return ERROR_SUCCESS;
  switch (type) {
    case kTextValue:
      return SetValue(key.Get(), valueName, REG_SZ, data.c_str(), data.size() + 1);
    case kBinaryValue: {
      const std::string bytes = HexDataBytes(data);
      return SetValue(key.Get(), valueName, REG_BINARY, bytes.data(), bytes.size());
    }
    case kNumberValue: {
      const uint32_t number = uint32_t(TextInt(data));
      const uint8_t bytes[4] = {uint8_t(number), uint8_t(number >> 8), uint8_t(number >> 16), uint8_t(number >> 24)};
      return SetValue(key.Get(), valueName, REG_DWORD, bytes, sizeof bytes);
    }
    default:
      return ERROR_SUCCESS;  // the key alone
  }
}

void WriteRegistryRecord(uint32_t k) {
  auto field = [k](int j) -> const std::string& { return SectionField(kSectionRegistry, k, j); };
  const int root = TextInt(field(0));
  const std::string keyPath = ExpandPathConstants(field(1)), name = ExpandPathConstants(field(2));
  const std::string data = ExpandPathConstants(field(3));
  const DWORD error = WriteRegistryValue(root, keyPath, name, data, TextInt(field(4)), TextInt(field(5)) == 1);
  ReportItem(std::string("registry value ") + RootName(root) + "\\" + keyPath + "\\" + name + " = " + data, error);
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
  const std::string value = ExpandPathConstants(field(3));
  const bool written = WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
  ReportItem("INI entry " + file + " [" + section + "] " + key + "=" + value, written ? 0 : GetLastError());
}
