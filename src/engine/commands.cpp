#include "engine/commands.h"

#include <windows.h>

#include <algorithm>

#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "engine/item_report.h"
#include "engine/journal.h"
#include "engine/progress.h"
#include "engine/stop_request.h"
#include "lang/messages.h"
#include "lang/folders.h"
#include "toolkit/message_pump.h"
#include "toolkit/shell_open.h"

namespace {

enum TCommandField { kProgram = 1, kParameters = 2, kShowCommand = 3, kPhase = 4, kWait = 5 };

void RunCommand(uint32_t k) {
  const std::string program = ExpandPathConstants(SectionField(kSectionCommands, k, kProgram));
  const std::string parameters = ExpandPathConstants(SectionField(kSectionCommands, k, kParameters));
  const bool started = OpenWithShell(program, parameters, TextInt(SectionField(kSectionCommands, k, kShowCommand)),
                                     TextInt(SectionField(kSectionCommands, k, kWait)) == 1);
  ReportItem("command " + program + " " + parameters, started ? DWORD(ERROR_SUCCESS) : GetLastError());
  if (started) JournalCommand(program + " " + parameters);
}

}  // namespace

void RunCommands(int phase) {
  SetStatusText(MessageText(57));
  PumpWindowMessages();
  // The install commands come first; the uninstall commands behind them
  // belong to the uninstaller.
  const uint32_t installCommands =
      std::min(uint32_t(std::max(FieldInt(40), int32_t(0))), SectionCount(kSectionCommands));
  for (uint32_t k = 0; k < installCommands; ++k) {
    if (TextInt(SectionField(kSectionCommands, k, kPhase)) != phase) continue;
    RunCommand(k);
    StepProgress();
    // A quit asked for while the command was waited for.
    HonourStopRequest();
  }
}
