// Bitmaps held in memory, made from the bytes of a Windows bitmap file.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Owns an HBITMAP.
class TBitmap {
public:
  TBitmap() = default;
  explicit TBitmap(HBITMAP handle) : handle_(handle) {}
  ~TBitmap() { Release(); }
  TBitmap(TBitmap&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  TBitmap& operator=(TBitmap&& other) noexcept {
    if (this != &other) {
      Release();
      handle_ = other.handle_;
      other.handle_ = nullptr;
    }
    return *this;
  }
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  HBITMAP Handle() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

private:
  void Release() {
    if (handle_) DeleteObject(handle_);
    handle_ = nullptr;
  }
  HBITMAP handle_ = nullptr;
};

// A device-independent bitmap from a bitmap file's bytes; empty when the bytes
// are not an uncompressed or RLE bitmap whose parts all lie inside them.
TBitmap LoadBitmapFromBytes(const uint8_t* bytes, size_t size);
