#include "startup/program_entry.h"

#include <windows.h>

#include <vector>

#include "archive/setup_script.h"
#include "startup/application_window.h"
#include "startup/dll_hardening.h"
#include "startup/exit_codes.h"
#include "startup/startup_driver.h"
#include "startup/temp_folder.h"
#include "toolkit/message_pump.h"
#include "toolkit/piecewise_copy.h"

std::string ModuleFileName() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), DWORD(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);  // truncated: try again with room
  }
}

int ProgramEntry() {
  HardenDllSearch();
  SetMessagePump(PumpWindowMessages);
  ApplicationWindow();
  TStartupResult startup = RunStartupDriver();
  if (startup.ended) return startup.exitCode;
  // The wizard and the installation take their place here as they are
  // built; until then a setup that started soundly ends in order.
  DeleteTemporaryFiles(FieldInt(26));
  DestroyApplicationWindow();
  return kExitOk;
}
