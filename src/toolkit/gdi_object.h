// Owns a GDI object (font, brush, pen): deleted when the owner goes.
#pragma once
#include <windows.h>

template <typename THandle>
class TGdiObject {
public:
  TGdiObject() = default;
  explicit TGdiObject(THandle handle) : handle_(handle) {}
  ~TGdiObject() { Reset(); }
  TGdiObject(TGdiObject&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  TGdiObject& operator=(TGdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = other.handle_;
      other.handle_ = nullptr;
    }
    return *this;
  }
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;

  THandle Get() const { return handle_; }
  void Reset() {
    if (handle_) DeleteObject(handle_);
    handle_ = nullptr;
  }

private:
  THandle handle_ = nullptr;
};

using TFont = TGdiObject<HFONT>;

// A font of the given family whose characters are `height` pixels high.
inline TFont CreatePixelFont(const char* face, int height, int weight = FW_NORMAL) {
  return TFont(CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}
