#include "toolkit/message_pump.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "toolkit/memory_stream.h"
#include "toolkit/piecewise_copy.h"

namespace {
int g_timerRuns = 0;
void CALLBACK CountTimer(HWND, UINT, UINT_PTR, DWORD) { ++g_timerRuns; }

int64_t LongCopy() {
  TMemoryStream source(std::vector<uint8_t>(3 * kCopyPieceSize)), destination;
  return CopyPiecewise(destination, source, source.Size());
}
}  // namespace

TEST(MessagePump, LongCopiesLetPendingMessagesRun) {
  SetMessagePump(PumpWindowMessages);
  g_timerRuns = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 1, CountTimer);
  Sleep(20);
  EXPECT_EQ(LongCopy(), 3 * kCopyPieceSize);
  KillTimer(nullptr, timer);
  SetMessagePump(nullptr);
  EXPECT_GT(g_timerRuns, 0) << "the timer's message was dispatched during the copy";
}

TEST(MessagePump, AQuitRequestMetInsideIsKeptForTheMessageLoop) {
  SetMessagePump(PumpWindowMessages);
  PostQuitMessage(7);
  EXPECT_EQ(LongCopy(), 3 * kCopyPieceSize);
  SetMessagePump(nullptr);
  MSG message;
  bool quit = false;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    if (message.message == WM_QUIT) quit = message.wParam == 7;
  EXPECT_TRUE(quit);
}
