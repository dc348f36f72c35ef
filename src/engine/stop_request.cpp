#include "engine/stop_request.h"

#include <windows.h>

#include "startup/exit_codes.h"
#include "startup/setup_end.h"
#include "toolkit/run_log.h"

namespace {
bool g_stop = false;
}

void RequestStop() { g_stop = true; }

bool StopRequested() { return g_stop; }

void HonourStopRequest() {
  if (!g_stop) return;
  LogLine("installation stopped on request");
  EndSetup(kExitUserCancelled);
}
