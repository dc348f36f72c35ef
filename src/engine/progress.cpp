#include "engine/progress.h"

#include <algorithm>

#include "toolkit/message_pump.h"

namespace {
TProgressSink* g_sink = nullptr;
std::string g_text;
int32_t g_maximum = 100;
int32_t g_position = 0;

void ShowPosition() {
  if (g_sink) g_sink->ShowProgress(g_position, g_maximum);
}

void PauseWhereShown(DWORD milliseconds) {
  if (g_sink && g_sink->Shown()) Sleep(milliseconds);
}
}  // namespace

TProgressBinding::TProgressBinding(TProgressSink& sink) : previous_(g_sink) { g_sink = &sink; }
TProgressBinding::~TProgressBinding() { g_sink = previous_; }

void SetStatusText(const std::string& text) {
  g_text = text;
  if (g_sink) g_sink->ShowStatus(text);
}

std::string StatusText() { return g_text; }

void SetProgressRange(int32_t maximum) {
  g_maximum = maximum;
  g_position = 0;
  ShowPosition();
}

void StepProgress() {
  g_position = std::min(g_position + 1, std::max(g_maximum, 0));
  ShowPosition();
  PumpWindowMessagesNowAndThen();
  if (g_maximum < 32) PauseWhereShown(4);
}

int32_t ProgressPosition() { return g_position; }

void SetProgressPosition(int32_t position) {
  g_position = std::max(0, std::min(position, std::max(g_maximum, 0)));
  ShowPosition();
  PumpWindowMessages();
}

void FillProgress() {
  g_position = std::max(g_maximum, 0);
  ShowPosition();
  PauseWhereShown(100);
}

HWND ProgressDialogOwner() { return g_sink ? g_sink->DialogOwner() : nullptr; }
