#include "startup/setup_end.h"

#include <windows.h>

#include "startup/exit_codes.h"
#include "startup/temp_folder.h"
#include "toolkit/run_log.h"

int FinishSetup(int exitCode) {
  DeleteTemporaryFiles();
  if (FailureCount() > 0) LogLine(std::to_string(FailureCount()) + " item(s) could not be installed");
  LogLine("exit code " + std::to_string(exitCode));
  return exitCode;
}

namespace {
void (*g_endHook)() = nullptr;
}  // namespace

void SetEndHook(void (*hook)()) { g_endHook = hook; }

void EndSetup(int exitCode) {
  if (void (*hook)() = g_endHook) {
    g_endHook = nullptr;
    hook();
  }
  ExitProcess(UINT(FinishSetup(exitCode)));
}

int CompletedExitCode() {
  if (FailureCount() > 0) return kExitWithErrors;
  return RestartPendingCount() > 0 ? kExitRestartNeeded : kExitOk;
}
