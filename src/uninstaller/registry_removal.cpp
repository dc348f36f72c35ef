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

// A key that cannot even be read is taken as absent.
bool ValueExists(HKEY root, const std::string& path, const std::string& name) {
  TRegistryKey key;
  return key.Open(root, path, KEY_QUERY_VALUE) &&
         RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) != ERROR_FILE_NOT_FOUND;
}

}  // namespace

bool DeleteRegistryValue(int rootIndex, const std::string& path, const std::string& name) {
  HKEY root = RegistryRoot(rootIndex);
  if (!root) return true;
  {
    TRegistryKey key;
    if (key.Open(root, path, KEY_SET_VALUE)) RegDeleteValueA(key.Get(), name.c_str());
  }
  return !ValueExists(root, path, name);
}

bool RemoveRegistryValue(const TRemovalStep& step) {
  const TStepDetail& d = step.Detail();
  HKEY root = RegistryRoot(d.root);
  if (!root) return true;
  // A value that could not be deleted keeps its key.
  if (!DeleteRegistryValue(d.root, d.registryKey, d.valueName)) return false;
  for (const std::string& path : KeysToPrune(d.registryKey)) {
    if (!IsEmptyKey(root, path)) break;
    if (RegDeleteKeyA(root, path.c_str()) != ERROR_SUCCESS) return false;
  }
  return true;
}
