// Moving bytes between streams in pieces, letting the windows run between them.
#pragma once
#include <cstdint>

#include "toolkit/stream.h"

constexpr int32_t kCopyPieceSize = 524288;

// Called between pieces of long work so that pending window messages run.
// The Win32 build installs the message pump; elsewhere it does nothing.
using TMessagePump = void (*)();
void SetMessagePump(TMessagePump pump);
void PumpMessages();

// Copies up to count bytes from source to destination; returns the number
// copied. Stops at the source's end or at the first failed write.
int64_t CopyPiecewise(TStream& destination, TStream& source, int64_t count);
