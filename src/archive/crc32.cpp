#include "archive/crc32.h"

#include <array>

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#include <wmmintrin.h>
#define CRC32_CARRYLESS 1
#endif

namespace {

// Eight tables so that eight bytes are folded per step ("slicing by 8"); table 0
// is the classic byte table. The result is the same as byte-at-a-time.
using Tables = std::array<std::array<uint32_t, 256>, 8>;

Tables BuildTables() {
  Tables t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    t[0][i] = c;
  }
  for (uint32_t i = 0; i < 256; ++i)
    for (int s = 1; s < 8; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
  return t;
}

// Built once, on first use; C++ guarantees the initialisation is thread-safe.
const Tables& CrcTables() {
  static const Tables tables = BuildTables();
  return tables;
}

#ifdef CRC32_CARRYLESS
// Carry-less multiplication folds 64 bytes per step, several times faster
// than the tables; the archive's chunks and the check of the whole data area
// spend most of their time here. The constants are powers of x modulo the
// polynomial, bit-reflected: x^(4*128+32) and x^(4*128-32) fold 512 bits,
// x^(128+32) and x^(128-32) fold 128 bits, x^64 folds the last 64, then
// a Barrett reduction with floor(x^64 / P) and P itself.
#define CARRYLESS_TARGET __attribute__((target("pclmul,sse2")))

CARRYLESS_TARGET inline __m128i Load(const uint8_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// x times the two constants in k, folded onto the next 128 bits.
CARRYLESS_TARGET inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

CARRYLESS_TARGET uint32_t FoldCarryless(uint32_t crc, const uint8_t* p, size_t length) {
  const __m128i k1k2 = _mm_set_epi64x(0x1c6e41596LL, 0x154442bd4LL);
  const __m128i k3k4 = _mm_set_epi64x(0x0ccaa009eLL, 0x1751997d0LL);
  const __m128i k5 = _mm_set_epi64x(0, 0x163cd6124LL);
  const __m128i polyMu = _mm_set_epi64x(0x1f7011641LL, 0x1db710641LL);
  const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);
  __m128i x1 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(int(crc)));
  __m128i x2 = Load(p + 16), x3 = Load(p + 32), x4 = Load(p + 48);
  for (p += 64, length -= 64; length >= 64; p += 64, length -= 64) {
    x1 = Fold(x1, k1k2, Load(p));
    x2 = Fold(x2, k1k2, Load(p + 16));
    x3 = Fold(x3, k1k2, Load(p + 32));
    x4 = Fold(x4, k1k2, Load(p + 48));
  }
  x1 = Fold(x1, k3k4, x2);
  x1 = Fold(x1, k3k4, x3);
  x1 = Fold(x1, k3k4, x4);
  for (; length >= 16; p += 16, length -= 16) x1 = Fold(x1, k3k4, Load(p));
  // 128 bits to 64, then to 32 (both append 32 zero bits), then Barrett.
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(k3k4, x1, 0x01));
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 4), _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), k5, 0x00));
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), polyMu, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, mask32), polyMu, 0x00);
  return uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(_mm_xor_si128(x1, t), 4)));
}

bool CarrylessAvailable() {
  static const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
  }();
  return available;
}
#endif

}  // namespace

uint32_t Crc32Update(uint32_t crc, const void* bytes, size_t length) {
  const Tables& t = CrcTables();
#ifdef CRC32_CARRYLESS
  if (length >= 64 && CarrylessAvailable()) {
    const size_t bulk = length & ~size_t(15);
    crc = FoldCarryless(crc, static_cast<const uint8_t*>(bytes), bulk);
    bytes = static_cast<const uint8_t*>(bytes) + bulk;
    length -= bulk;
  }
#endif
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  while (length >= 8) {
    uint32_t lo = crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    uint32_t hi = uint32_t(p[4]) | uint32_t(p[5]) << 8 | uint32_t(p[6]) << 16 | uint32_t(p[7]) << 24;
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
          t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    p += 8;
    length -= 8;
  }
  while (length--) crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return crc;
}

uint32_t Crc32(const void* bytes, size_t length) { return ~Crc32Update(0xFFFFFFFFu, bytes, length); }
