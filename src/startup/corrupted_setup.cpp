#include "startup/corrupted_setup.h"

#include <windows.h>

#include "startup/application_window.h"
#include "startup/command_line.h"
#include "startup/exit_codes.h"
#include "startup/setup_end.h"
#include "toolkit/run_log.h"

namespace {

[[noreturn]] void FatalError(const char* text, int exitCode) {
  LogLine(std::string("ERROR ") + text);
  if (!RunFlags().quiet) MessageBoxA(ApplicationWindow(), text, "Error", MB_ICONERROR | MB_OK);
  EndSetup(exitCode);
}

}  // namespace

void CorruptedSetupError() { FatalError(kCorruptedSetupText, kExitCorrupted); }

void CannotRunError(const char* text) { FatalError(text, kExitCannotRun); }
