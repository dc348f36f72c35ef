#include "startup/corrupted_setup.h"

#include <windows.h>

#include "startup/application_window.h"
#include "startup/command_line.h"
#include "startup/exit_codes.h"
#include "startup/setup_end.h"
#include "toolkit/run_log.h"

namespace {

[[noreturn]] void FatalError(const std::string& text, int exitCode) {
  LogLine("ERROR " + text);
  if (!RunFlags().quiet) MessageBoxA(ApplicationWindow(), text.c_str(), "Error", MB_ICONERROR | MB_OK);
  EndSetup(exitCode);
}

}  // namespace

void CorruptedSetupError() { FatalError(kCorruptedSetupText, kExitCorrupted); }

void CannotRunError(const char* text) { FatalError(text, kExitCannotRun); }

void UnusableChoiceError(const std::string& text) { FatalError(text, kExitUnusableChoice); }

void UnremovableInstallationError(const std::string& text) { FatalError(text, kExitUndone); }
