// Owns a FindFirstFileA search.
#pragma once
#include <windows.h>

class TFindHandle {
public:
  explicit TFindHandle(HANDLE search) : search_(search) {}
  ~TFindHandle() {
    if (search_ != INVALID_HANDLE_VALUE) FindClose(search_);
  }
  TFindHandle(const TFindHandle&) = delete;
  TFindHandle& operator=(const TFindHandle&) = delete;
  HANDLE Get() const { return search_; }
  explicit operator bool() const { return search_ != INVALID_HANDLE_VALUE; }

private:
  HANDLE search_;
};
