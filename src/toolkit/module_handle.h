// Owns a loaded DLL: freed when the owner goes.
#pragma once
#include <windows.h>

class TModuleHandle {
public:
  TModuleHandle() = default;
  explicit TModuleHandle(HMODULE module) : module_(module) {}
  ~TModuleHandle() { Free(); }
  TModuleHandle(TModuleHandle&& other) noexcept : module_(other.module_) { other.module_ = nullptr; }
  TModuleHandle& operator=(TModuleHandle&& other) noexcept {
    if (this != &other) {
      Free();
      module_ = other.module_;
      other.module_ = nullptr;
    }
    return *this;
  }
  TModuleHandle(const TModuleHandle&) = delete;
  TModuleHandle& operator=(const TModuleHandle&) = delete;

  HMODULE Get() const { return module_; }
  explicit operator bool() const { return module_ != nullptr; }
  void Free() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }

private:
  HMODULE module_ = nullptr;
};
