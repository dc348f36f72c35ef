#include "startup/program_entry.h"

#include <windows.h>

#include <exception>
#include <new>

#include "engine/installation.h"
#include "startup/command_line.h"
#include "startup/corrupted_setup.h"
#include "startup/dll_hardening.h"
#include "startup/setup_end.h"
#include "startup/startup_driver.h"
#include "toolkit/message_pump.h"
#include "toolkit/piecewise_copy.h"
#include "wizard/wizard_start.h"

// The application's message loop, until a quit request.
static void RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchWindowMessage(message);
}

namespace {

// Out of memory anywhere, window procedures included, ends the run as an
// error with clean-up rather than as an exception crossing Windows' frames.
void OutOfMemory() { CannotRunError(kOutOfMemoryText); }

int RunSetup() {
  SetMessagePump(PumpWindowMessages);
  TStartupResult startup = RunStartupDriver();
  if (startup.ended) return startup.exitCode;
  if (RunFlags().silent) PrepareInstallation();  // decoding overlaps the hidden frame and the data check
  BuildWizard();  // in silent mode this runs the whole installation
  if (!RunFlags().silent) RunMessageLoop();
  return FinishSetup(CompletedExitCode());
}

}  // namespace

int ProgramEntry() {
  HardenDllSearch();
  std::set_new_handler(OutOfMemory);
  try {
    return RunSetup();
  } catch (const std::exception&) {
    CannotRunError(kInternalErrorText);
  }
}
