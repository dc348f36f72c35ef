// Owns an open registry key.
#pragma once
#include <windows.h>

#include <string>

class TRegistryKey {
public:
  TRegistryKey() = default;
  ~TRegistryKey() { Close(); }
  TRegistryKey(const TRegistryKey&) = delete;
  TRegistryKey& operator=(const TRegistryKey&) = delete;

  // Opens root\path with the given access; false when it cannot.
  bool Open(HKEY root, const std::string& path, REGSAM access) {
    Close();
    return RegOpenKeyExA(root, path.c_str(), 0, access, &key_) == ERROR_SUCCESS || (key_ = nullptr, false);
  }
  // Opens root\path with all access, creating it and its missing parents;
  // false when it cannot (also for a null root), with the reason in error.
  bool Create(HKEY root, const std::string& path, LONG* error = nullptr) {
    Close();
    const LONG status = root ? RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                               KEY_ALL_ACCESS, nullptr, &key_, nullptr)
                             : LONG(ERROR_INVALID_HANDLE);
    if (error) *error = status;
    if (status == ERROR_SUCCESS) return true;
    key_ = nullptr;
    return false;
  }
  HKEY Get() const { return key_; }
  void Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }

private:
  HKEY key_ = nullptr;
};

// The root handle of a script's root index (0 HKEY_CLASSES_ROOT ... 6
// HKEY_DYN_DATA); null outside 0..6.
inline HKEY RegistryRoot(int index) {
  return index >= 0 && index <= 6 ? reinterpret_cast<HKEY>(uintptr_t(0x80000000u + unsigned(index))) : nullptr;
}
