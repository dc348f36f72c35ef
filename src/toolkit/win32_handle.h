// Owns a kernel HANDLE (files and the like); INVALID_HANDLE_VALUE and null
// both mean "none".
#pragma once
#include <windows.h>

class TWin32Handle {
public:
  TWin32Handle() = default;
  explicit TWin32Handle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~TWin32Handle() { Close(); }
  TWin32Handle(TWin32Handle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  TWin32Handle& operator=(TWin32Handle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.handle_;
      other.handle_ = nullptr;
    }
    return *this;
  }
  TWin32Handle(const TWin32Handle&) = delete;
  TWin32Handle& operator=(const TWin32Handle&) = delete;

  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Close() {
    if (handle_) CloseHandle(handle_);
    handle_ = nullptr;
  }

private:
  HANDLE handle_ = nullptr;
};
