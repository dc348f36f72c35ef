#include "engine/registry_entries.h"

#include <windows.h>

#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "engine/item_report.h"
#include "engine/journal.h"
#include "engine/registry_data.h"
#include "lang/folders.h"
#include "toolkit/folders.h"
#include "toolkit/registry_key.h"

namespace {

enum TValueType : int32_t { kTextValue = 0, kBinaryValue = 1, kNumberValue = 2 };

constexpr DWORD kIniBufferSize = 4096;

DWORD SetValue(HKEY key, const std::string& name, DWORD type, const void* data, size_t size) {
  return DWORD(RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), DWORD(size)));
}

const char* RootName(int rootIndex) {
  static const char* const kNames[] = {"HKCR", "HKCU", "HKLM", "HKU", "HKPD", "HKCC", "HKDD"};
  return rootIndex >= 0 && rootIndex <= 6 ? kNames[rootIndex] : "(no root)";
}

// What a value was before the write, and which keys of keyPath the write
// is going to create (those that do not exist yet, outermost first).
TRegistryBefore ValueBefore(HKEY root, const std::string& keyPath, const std::string& name) {
  TRegistryBefore before;
  for (size_t end = 0; end != std::string::npos;) {
    end = keyPath.find('\\', end + 1);
    const std::string path = keyPath.substr(0, end);
    TRegistryKey key;
    if (!key.Open(root, path, KEY_READ)) {
      before.createdKeys.push_back(path);
      continue;
    }
    if (end != std::string::npos) continue;
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &before.type, nullptr, &size) != ERROR_SUCCESS) break;
    before.data.resize(size);
    before.existed = RegQueryValueExA(key.Get(), name.c_str(), nullptr, &before.type, before.data.data(), &size) ==
                     ERROR_SUCCESS;
    before.data.resize(size);
  }
  return before;
}

}  // namespace

DWORD WriteRegistryValue(int rootIndex, const std::string& keyPath, const std::string& valueName,
                         const std::string& data, int type, bool overwrite) {
  TRegistryKey key;
  LONG error = ERROR_SUCCESS;
  const HKEY root = RegistryRoot(rootIndex);
  const TRegistryBefore before = root ? ValueBefore(root, keyPath, valueName) : TRegistryBefore{};
  if (!key.Create(root, keyPath, &error)) return DWORD(error);
  if (!overwrite && before.existed) return ERROR_SUCCESS;
  JournalRegistryValue(root, keyPath, valueName, before);
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
  MakeFoldersFor(file);
  const std::string section = ExpandPathConstants(field(1));
  const std::string key = ExpandPathConstants(field(2));
  if (TextInt(field(4)) == 0) {
    char current[kIniBufferSize];
    if (GetPrivateProfileStringA(section.c_str(), key.c_str(), "", current, sizeof current, file.c_str()) > 0)
      return;
  }
  const std::string value = ExpandPathConstants(field(3));
  if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) JournalCreatedFile(file);
  // A default no value has tells an absent key from an empty one.
  const char kAbsent[] = "\x01" "absent" "\x01";
  char old[kIniBufferSize];
  GetPrivateProfileStringA(section.c_str(), key.c_str(), kAbsent, old, sizeof old, file.c_str());
  JournalIniEntry(file, section, key, std::string(old) != kAbsent, old);
  const bool written = WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
  ReportItem("INI entry " + file + " [" + section + "] " + key + "=" + value, written ? 0 : GetLastError());
}
