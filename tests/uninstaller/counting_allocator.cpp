#include "counting_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> g_current{0}, g_peak{0};

// Each block carries its size before it, so that every form of delete can
// count it off.
constexpr size_t kHeader = alignof(std::max_align_t);

void* Allocate(size_t size) {
  for (;;) {
    if (void* block = std::malloc(size + kHeader)) {
      *static_cast<size_t*>(block) = size;
      const size_t now = g_current.fetch_add(size) + size;
      size_t peak = g_peak.load();
      while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
      }
      return static_cast<char*>(block) + kHeader;
    }
    std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}

void Release(void* pointer) {
  if (!pointer) return;
  void* block = static_cast<char*>(pointer) - kHeader;
  g_current.fetch_sub(*static_cast<size_t*>(block));
  std::free(block);
}

}  // namespace

namespace counting_allocator {

size_t CurrentBytes() { return g_current.load(); }
size_t PeakBytes() { return g_peak.load(); }
void ResetPeak() { g_peak.store(g_current.load()); }

}  // namespace counting_allocator

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete[](void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, size_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, size_t) noexcept { Release(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { Release(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { Release(pointer); }
