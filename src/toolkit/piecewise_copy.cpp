#include "toolkit/piecewise_copy.h"

#include <algorithm>
#include <vector>

static TMessagePump g_pump = nullptr;

void SetMessagePump(TMessagePump pump) { g_pump = pump; }

void PumpMessages() {
  if (g_pump) g_pump();
}

int64_t CopyPiecewise(TStream& destination, TStream& source, int64_t count) {
  if (count <= 0) return 0;
  std::vector<uint8_t> piece(size_t(std::min<int64_t>(count, kCopyPieceSize)));
  int64_t total = 0;
  while (count > 0) {
    int32_t want = int32_t(std::min<int64_t>(count, int64_t(piece.size())));
    int32_t got = source.Read(piece.data(), want);
    if (got <= 0) break;
    if (destination.Write(piece.data(), got) != got) break;
    count -= got;
    total += got;
    PumpMessages();
  }
  return total;
}
