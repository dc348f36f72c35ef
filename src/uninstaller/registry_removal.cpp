#include "uninstaller/registry_removal.h"

#include <windows.h>

#include "toolkit/registry_key.h"
#include "uninstaller/registry_key_path.h"

namespace {

bool IsEmptyKey(HKEY root, const std::string& path) {
  TRegistryKey key;
  if (!key.Open(root, path, KEY_QUERY_VALUE)) return false;
  DWORD subkeys = 0, values = 0;
  return RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                          nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subkeys == 0 && values == 0;
}

}  // namespace

void RemoveRegistryValue(const TRemovalStep& step) {
  HKEY root = RegistryRoot(step.root);
  if (!root) return;
  {
    TRegistryKey key;
    if (!key.Open(root, step.registryKey, KEY_SET_VALUE | KEY_QUERY_VALUE)) return;
    RegDeleteValueA(key.Get(), step.valueName.c_str());
    // A value that could not be deleted keeps its key.
    if (RegQueryValueExA(key.Get(), step.valueName.c_str(), nullptr, nullptr, nullptr, nullptr) != ERROR_FILE_NOT_FOUND)
      return;
  }
  for (const std::string& path : KeysToPrune(step.registryKey)) {
    if (!IsEmptyKey(root, path) || RegDeleteKeyA(root, path.c_str()) != ERROR_SUCCESS) break;
  }
}
