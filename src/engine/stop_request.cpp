#include "engine/stop_request.h"

#include <windows.h>

#include "archive/setup_script.h"
#include "startup/exit_codes.h"
#include "startup/temp_folder.h"

namespace {
bool g_stop = false;
}

void RequestStop() { g_stop = true; }

bool StopRequested() { return g_stop; }

void HonourStopRequest() {
  if (!g_stop) return;
  DeleteTemporaryFiles(FieldInt(26));
  ExitProcess(kExitUserCancelled);
}
