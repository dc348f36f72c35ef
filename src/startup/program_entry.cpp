#include "startup/program_entry.h"

#include <windows.h>

#include "archive/setup_script.h"
#include "startup/application_window.h"
#include "startup/background_window.h"
#include "startup/command_line.h"
#include "startup/dll_hardening.h"
#include "startup/exit_codes.h"
#include "startup/startup_driver.h"
#include "startup/temp_folder.h"
#include "toolkit/message_pump.h"
#include "toolkit/piecewise_copy.h"
#include "wizard/wizard_window.h"

// The application's message loop, until a quit request.
static void RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchWindowMessage(message);
}

int ProgramEntry() {
  HardenDllSearch();
  SetMessagePump(PumpWindowMessages);
  ApplicationWindow();
  CreateBackgroundWindow();
  TStartupResult startup = RunStartupDriver();
  if (startup.ended) return startup.exitCode;
  BuildWizard();  // in silent mode this runs the whole installation
  if (!RunFlags().silent) RunMessageLoop();
  return kExitOk;
}
